#pragma once
// What the ZIP library throws of its own, beside the FileError of its file interface. Each
// error carries the facts a program needs in order to word it; the library words nothing.
// what() names the kind in English, for debugging only.
#include <exception>
#include <string>
#include <utility>

#include "zip/files.h"

namespace zip {

// Where an archive or an entry is broken.
enum class Flaw {
  Zip64End,          // the ZIP64 end record the locator points to
  Zip64Field,        // a ZIP64 extra field too short for what it must hold
  MultiPart,         // an archive split over several files
  NoEndRecord,       // no ZIP archive, or its end is missing
  TooShort,          // the file ends before what the records promise
  CentralDirectory,  // a central header, or the directory's size or place
  CentralIncomplete,
  LocalHeader,
  SaltCheck,         // the AES salt and password check do not match the keys written
  AesFrame,          // too short for the AES salt, check and MAC
  EncryptionHeader,  // too short for the traditional encryption header
  MoreDataThanSaid,
  DeflateData,
  Mac,
  Crc,        // CRC or size
  Length,     // the read-back check: entries end elsewhere than the next begins
  EndRecord,  // the read-back check: the end records
};

class Error : public std::exception {
 public:
  explicit Error(const char* kind) : kind_(kind) {}
  const char* what() const noexcept override { return kind_; }

 private:
  const char* kind_;
};

// The archive, or one entry of it, is damaged.
class Damaged : public Error {
 public:
  explicit Damaged(Flaw flaw) : Error("damaged ZIP data"), flaw_(flaw) {}
  Flaw GetFlaw() const { return flaw_; }

 private:
  Flaw flaw_;
};

// An encrypted entry and no password, or one that does not fit.
class WrongPassword : public Error {
 public:
  explicit WrongPassword(bool missing) : Error("wrong password"), missing_(missing) {}
  bool Missing() const { return missing_; }

 private:
  bool missing_;
};

// An entry in a method or encryption this reader does not know: the entry tells which.
class UnsupportedMethod : public Error {
 public:
  UnsupportedMethod() : Error("unsupported method") {}
};

// Deflate refused its own stream: a fault of this library or of zlib, not of the data.
class CompressFailed : public Error {
 public:
  CompressFailed() : Error("deflate failed") {}
};

// Writing the archive itself failed (a full disk, say): unlike a source that cannot be read,
// this ends the writing.
class ArchiveWriteFailed : public Error {
 public:
  explicit ArchiveWriteFailed(FileError cause)
      : Error("archive write failed"), cause_(std::move(cause)) {}
  const FileError& Cause() const { return cause_; }

 private:
  FileError cause_;
};

// The read-back check found the written archive differing from what was meant: `name` is the
// entry (or the archive's path), `cause` the Damaged, WrongPassword, UnsupportedMethod or
// FileError that says why.
class VerifyFailed : public Error {
 public:
  VerifyFailed(std::string name, std::exception_ptr cause)
      : Error("archive check failed"), name_(std::move(name)), cause_(std::move(cause)) {}
  const std::string& Name() const { return name_; }
  const std::exception_ptr& Cause() const { return cause_; }

 private:
  std::string name_;
  std::exception_ptr cause_;
};

}  // namespace zip
