#pragma once
#include <string>

// 3 as "03", 12 as "12": the day, month and time parts of dates and times, in both programs.
std::string TwoDigits(int value);
