# Backup sets: the record each archive carries, the state list of an incremental archive, the
# grouping of a folder's archives into sets, the thinning plan and the restore of a whole
# chain. Plain logic, part of dszip's library.
file(GLOB DSZIP_SETS_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/*.cpp)
target_sources(dsziplogic PRIVATE ${DSZIP_SETS_SOURCES})
