#include "engine/zip_errors.h"

#include <exception>

#include "core/filled.h"
#include "engine/texts.h"

namespace dszip {
namespace {

const char* FlawText(zip::Flaw flaw) {
  switch (flaw) {
    case zip::Flaw::Zip64End: return texts::PartZip64End;
    case zip::Flaw::Zip64Field: return texts::PartZip64Field;
    case zip::Flaw::MultiPart: return texts::MultiPart;
    case zip::Flaw::NoEndRecord: return texts::NoEndRecord;
    case zip::Flaw::TooShort: return texts::TooShort;
    case zip::Flaw::CentralDirectory: return texts::PartCentralDirectory;
    case zip::Flaw::CentralIncomplete: return texts::CentralIncomplete;
    case zip::Flaw::LocalHeader: return texts::PartLocalHeader;
    case zip::Flaw::SaltCheck: return texts::PartSaltCheck;
    case zip::Flaw::AesFrame: return texts::PartAesFrame;
    case zip::Flaw::EncryptionHeader: return texts::PartEncryptionHeader;
    case zip::Flaw::MoreDataThanSaid: return texts::MoreDataThanSaid;
    case zip::Flaw::DeflateData: return texts::PartDeflateData;
    case zip::Flaw::Mac: return texts::PartMac;
    case zip::Flaw::Crc: return texts::PartCrc;
    case zip::Flaw::Length: return texts::PartLength;
    case zip::Flaw::EndRecord: return texts::PartEndRecord;
  }
  return texts::PartCentralDirectory;
}

// The reason behind a failed check: a library error, or a file that could not be read.
std::string CauseText(const std::exception_ptr& cause) {
  try {
    std::rethrow_exception(cause);
  } catch (const zip::Error& error) {
    return ReasonText(error);
  } catch (const std::exception& error) {
    return error.what();
  }
}

}  // namespace

const char* NameFlawText(zip::NameFlaw flaw) {
  switch (flaw) {
    case zip::NameFlaw::Parent: return texts::NameParent;
    case zip::NameFlaw::Absolute: return texts::NameAbsolute;
    case zip::NameFlaw::Stream: return texts::NameStream;
    case zip::NameFlaw::Device: return texts::NameDevice;
    case zip::NameFlaw::Trailing: return texts::NameTrailing;
    case zip::NameFlaw::Control: return texts::NameControl;
    case zip::NameFlaw::Character: return texts::NameCharacter;
    case zip::NameFlaw::Encoding: return texts::NameEncoding;
  }
  return texts::NameCharacter;
}

std::string ReasonText(const zip::Error& error) {
  if (const auto* damaged = dynamic_cast<const zip::Damaged*>(&error))
    return FlawText(damaged->GetFlaw());
  if (const auto* password = dynamic_cast<const zip::WrongPassword*>(&error))
    return password->Missing() ? texts::PasswordMissing : texts::PasswordMismatch;
  if (dynamic_cast<const zip::UnsupportedMethod*>(&error)) return texts::MethodUnknown;
  if (dynamic_cast<const zip::CompressFailed*>(&error)) return texts::DeflateFailed;
  if (const auto* failed = dynamic_cast<const zip::ArchiveWriteFailed*>(&error))
    return failed->Cause().what();
  if (const auto* failed = dynamic_cast<const zip::VerifyFailed*>(&error))
    return CauseText(failed->Cause());
  return error.what();
}

RunError AsRunError(const zip::Error& error) {
  if (const auto* failed = dynamic_cast<const zip::ArchiveWriteFailed*>(&error))
    return RunError(kExitFatal, Filled(texts::WriteFailed, {failed->Cause().what()}));
  if (const auto* failed = dynamic_cast<const zip::VerifyFailed*>(&error))
    return RunError(kExitFatal,
                    Filled(texts::VerifyFailed, {failed->Name(), CauseText(failed->Cause())}));
  if (dynamic_cast<const zip::CompressFailed*>(&error))
    return RunError(kExitFatal, texts::DeflateFailed);
  // An entry's own trouble ends a run only where the run is about that entry alone.
  if (dynamic_cast<const zip::WrongPassword*>(&error))
    return RunError(kExitBadPassword, ReasonText(error));
  return RunError(kExitWarning, ReasonText(error));
}

std::string WarningText(const zip::WriteWarning& warning, const std::vector<zip::Item>& items) {
  const std::string& path = items[warning.item].path;
  switch (warning.kind) {
    case zip::WriteWarning::Unreadable:
      return Filled(texts::FileUnreadable, {path, warning.reason});
    case zip::WriteWarning::ChangedWhileRead: return Filled(texts::FileChangedWhileRead, {path});
    case zip::WriteWarning::GrewPastHeader: return Filled(texts::GrewPastHeader, {path});
  }
  return Filled(texts::FileUnreadable, {path, warning.reason});
}

}  // namespace dszip
