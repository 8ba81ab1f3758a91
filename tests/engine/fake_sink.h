#pragma once
// The central log in memory, and the event log's entries as "<code>: <text>".
#include <stdexcept>
#include <string>

#include "runlog/run_log.h"

struct FakeSink : runlog::Sink {
  std::string log, events;
  bool fails = false;
  std::string Folder() override { return "C:\\Users\\x\\AppData\\Local\\Datensicherung\\"; }
  void Append(const std::string& record) override {
    if (fails) throw std::runtime_error("Datenträger voll");
    log += record;
  }
  void Report(int exitCode, const std::string& text) override {
    events += std::to_string(exitCode) + ": " + text;
  }
};
