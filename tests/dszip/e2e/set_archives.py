"""What a and m write into the archives of a backup set, written here by Python's zipfile for
the restore's checks and benchmark: the record in the archive comment
(src/engine/sets/archive_record.h) and an incremental archive's state list
(src/engine/sets/state_list.h)."""
import datetime
import zipfile
from pathlib import Path

STATE_LIST = '$DSZIP-ZUSTANDSLISTE$.txt'
TICKS_1970 = 116444736000000000  # 100-ns ticks from 1601 to 1970


def record(kind, made, source, follows=''):
    """kind 'voll' or 'inkrementell'; made 'YYYY-MM-DD hh:mm:ss'; source as a Windows path."""
    lines = ['dszip-Sicherungssatz, Format 1', f'Art: {kind}', f'Erstellt: {made} +01:00']
    if follows:
        lines.append(f'Folgt auf: {follows}')
    lines += ['Unterordner: -r', f'Quelle: {source}']
    return ('\r\n'.join(lines) + '\r\n').encode('ascii')


def state_list(state):
    """state: stored name (a folder's ending in "/") -> (size, modification in ticks)."""
    def escaped(name):
        return ''.join(c if ord(c) >= 0x20 and c not in '%\x7f' else
                       ''.join(f'%{b:02X}' for b in c.encode()) for c in name)

    def when(ticks):
        seconds, fraction = divmod(ticks - TICKS_1970, 10_000_000)
        moment = datetime.datetime(1970, 1, 1) + datetime.timedelta(seconds=seconds)
        return f'{moment:%Y-%m-%d %H:%M:%S}.{fraction:07d}'

    lines = ['dszip-Zustandsliste, Format 1: Groesse, Aenderung (UTC), Name']
    lines += [f'{size}\t{when(ticks)}\t{escaped(name)}' for name, (size, ticks) in sorted(state.items())]
    return ('\r\n'.join(lines) + '\r\n').encode()


def tree_state(root):
    """The state list's view of a folder: every file and folder below it."""
    state = {}
    for path in Path(root).rglob('*'):
        name = path.relative_to(root).as_posix() + ('/' if path.is_dir() else '')
        state[name] = (0 if path.is_dir() else path.stat().st_size, path.stat().st_mtime_ns // 100 + TICKS_1970)
    return state


def add_record(archive, comment):
    with zipfile.ZipFile(archive, 'a') as zip_file:
        zip_file.comment = comment
