#include "window_logic/backup_plan.h"

#include <algorithm>
#include <limits>

#include "core/error.h"
#include "core/textformat.h"
#include "core/two_digits.h"

namespace {

// "%tag%" in a job's source replaced by the reference date as a folder name.
std::string ExpandDateTag(std::string source, const std::string& form, DateTime date) {
  const size_t at = source.find("%tag%");
  if (at == std::string::npos) return source;
  source.erase(at, 6);  // the tag and the character after it, normally a "\"
  const std::string folder = DatePart(date, form);
  source.insert(at, folder.empty() ? folder : folder + "\\");
  return source;
}

// The number after `number`. [Last] Nr must read back, so after the largest the count
// starts again at 0; the search for a free name then skips what is there.
std::int32_t NextNumber(std::int32_t number) {
  return number == std::numeric_limits<std::int32_t>::max() ? 0 : number + 1;
}

std::string CompressionCode(int index, const std::string& extension) {
  if (extension == "zip") {
    static const char* const zip[] = {"0", "s", "n", "f", "x", "x"};
    return index >= 0 && index <= 5 ? zip[index] : "x";
  }
  return std::to_string(index);
}

std::string AttributeSwitches(int index) {
  if (index == 0) return " -ai ";
  if (index == 1) return " -ac -ao ";
  return "";
}

// The password as one argument of the archiver's command line. A password with blanks or
// double quotes would otherwise reach the archiver split into several arguments, so only
// then is it quoted, by the rules the C runtime uses to split a command line.
std::string PasswordArgument(const std::string& password) {
  if (password.find_first_of(" \t\"") == std::string::npos) return password;
  std::string quoted = "\"";
  size_t backslashes = 0;
  for (char c : password) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    quoted.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
    backslashes = 0;
    quoted += c;
  }
  quoted.append(backslashes * 2, '\\');
  return quoted + "\"";
}

}  // namespace

std::string DatePart(DateTime date, const std::string& form) {
  const DateParts d = DecodeDate(date);
  if (form == "jmt") return std::to_string(d.year) + TwoDigits(d.month) + TwoDigits(d.day);
  if (form == "t.m.j")
    return TwoDigits(d.day) + "." + TwoDigits(d.month) + "." + std::to_string(d.year);
  return "";
}

BackupPlan PlanBackup(const RunChoices& choices, const RunSettings& settings,
                      const std::function<bool(const std::string&)>& exists) {
  std::string target = settings.target;
  if (!target.empty() && target.back() != '\\') target += '\\';
  const std::string source = ExpandDateTag(settings.source, settings.dateForm, choices.datum);

  BackupPlan plan;
  const std::string stem = target + DatePart(choices.datum, "jmt") + "-";
  auto name = [&](std::int32_t number) {
    return stem + std::to_string(number) + "." + choices.extension;
  };
  plan.lastDate = WholeDays(choices.datum);
  plan.lastNumber =
      plan.lastDate == WholeDays(settings.lastDate) ? NextNumber(settings.lastNumber) : 0;
  while (exists(name(plan.lastNumber))) plan.lastNumber = NextNumber(plan.lastNumber);
  plan.archive = name(plan.lastNumber);

  try {
    plan.parameters = ExpandTemplate(
        settings.pattern, {choices.command, CompressionCode(choices.compression, choices.extension),
                           AttributeSwitches(choices.archiveBit), plan.archive, source});
  } catch (const EError& error) {
    plan.error = error.what();
    return plan;
  }
  if (!choices.password.empty())
    plan.parameters.insert(std::min<size_t>(1, plan.parameters.size()),
                           " -hp" + PasswordArgument(choices.password));
  return plan;
}
