#pragma once

#include <chrono>
#include <functional>

namespace vexar::updater {

// Shows Update's one message: the text and the caption of a message box.
using ErrorBox = std::function<void(const char* text, const char* caption)>;

// How long Update waits for the program that started it to end: 4 seconds.
// Tests shorten it with VEXAR_TEST_UPDATE_WAIT_MS (milliseconds); only
// tests set that variable.
std::chrono::milliseconds UpdateWait();

// The whole of Update: wait, read the one argument, replace the program
// file and start it, or show "Error to copy file." when the argument is
// unusable or the copy fails (then nothing is started). The exit code is
// always 0.
int RunUpdate(int argc, const char* const* argv, const ErrorBox& showError);

}  // namespace vexar::updater
