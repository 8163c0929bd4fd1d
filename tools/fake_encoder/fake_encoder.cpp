// A scriptable stand-in for the encoder, for fault tests of the encoder runner.
//
//   fake_encoder [--say TEXT]... [--every MS] [--repeat N] [--pad BYTES] [--stderr]
//                [--exit CODE] [--crash] [--on-q obey|ignore|late:MS] [--args-file PATH]
//
// Prints each TEXT (escapes \n \r \\) as one write, MS milliseconds apart (100), N times
// over (1; 0 = until stopped), each padded with '.' to BYTES; then exits with CODE (0), or
// with --crash ends as a crashed program does (after a copy, too).
// "q" on standard input ends it at once with code 0 (obey), never (ignore), or after MS.
// --args-file appends its own command line to PATH, one line per run. A copy command ("-c:v copy", "-i" INPUT,
// OUTPUT last) copies INPUT to OUTPUT. Options may also come from $QUORLIN_FAKE_ENCODER, so
// that it can run under the encoder's name with the program's own command lines.
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "fake_io.h"
#include "platform/command_args.h"

namespace {

struct Script {
  std::vector<std::string> chunks;
  int every_ms = 100;
  int repeat = 1;
  size_t pad = 0;
  bool to_stderr = false;
  bool crash = false;
  int exit_code = 0;
  int quit_delay_ms = 0;  // < 0: ignore "q"
  std::string args_file;
};

std::string Unescape(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 1 < text.size()) {
      const char next = text[++i];
      out.push_back(next == 'n' ? '\n' : next == 'r' ? '\r' : next);
    } else {
      out.push_back(text[i]);
    }
  }
  return out;
}

void ParseOptions(const std::vector<std::string>& args, Script* script) {
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& option = args[i];
    const bool has_value = i + 1 < args.size();
    if (option == "--stderr") {
      script->to_stderr = true;
    } else if (option == "--crash") {
      script->crash = true;
    } else if (!has_value) {
      continue;
    } else if (option == "--say") {
      script->chunks.push_back(Unescape(args[++i]));
    } else if (option == "--every") {
      script->every_ms = std::atoi(args[++i].c_str());
    } else if (option == "--repeat") {
      script->repeat = std::atoi(args[++i].c_str());
    } else if (option == "--pad") {
      script->pad = static_cast<size_t>(std::atol(args[++i].c_str()));
    } else if (option == "--exit") {
      script->exit_code = std::atoi(args[++i].c_str());
    } else if (option == "--args-file") {
      script->args_file = args[++i];
    } else if (option == "--on-q") {
      const std::string mode = args[++i];
      script->quit_delay_ms = mode == "ignore" ? -1 : mode.rfind("late:", 0) == 0 ? std::atoi(mode.c_str() + 5) : 0;
    }
  }
}

// Copies INPUT to OUTPUT for "-i INPUT ... -c:v copy ... OUTPUT"; returns the exit code, or
// -1 when the arguments are no copy command.
int CopyCommand(const std::vector<std::string>& args) {
  std::string input;
  bool copy = false;
  for (size_t i = 0; i + 1 < args.size(); ++i) {
    if (args[i] == "-i") input = args[i + 1];
    if (args[i] == "-c:v" && args[i + 1] == "copy") copy = true;
  }
  if (!copy || input.empty()) return -1;
  std::ifstream in(input, std::ios::binary);
  std::ofstream out(args.back(), std::ios::binary | std::ios::trunc);
  if (!in || !out) return 1;
  out << in.rdbuf();
  return out.good() ? 0 : 1;
}

std::atomic<bool> g_quit{false};

void WatchStdin(int quit_delay_ms) {
  char byte = 0;
  while (ReadStdin(&byte, 1) == 1) {
    if (byte != 'q' || quit_delay_ms < 0) continue;
    SleepMs(quit_delay_ms);
    g_quit = true;
    return;
  }
}

// Sleeps up to `ms`, returning early when "q" was obeyed.
bool SleepUnlessQuit(int ms) {
  for (int slept = 0; slept < ms && !g_quit; slept += 5) SleepMs(5);
  return !g_quit;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (const char* extra = std::getenv("QUORLIN_FAKE_ENCODER")) {
    for (const std::string& arg : platform::SplitCommandLine(extra)) args.push_back(arg);
  }
  Script script;
  ParseOptions(args, &script);
  if (!script.args_file.empty()) {
    // One line per run, so that a log shows every run the program started.
    std::ofstream(script.args_file, std::ios::binary | std::ios::app) << OwnCommandLine(argc, argv) << '\n';
  }
  // A copy command's output is its own last argument, before any options from the environment.
  const int copy_result = CopyCommand(std::vector<std::string>(argv + 1, argv + argc));
  if (copy_result >= 0) {
    if (script.crash) Crash();
    return copy_result;
  }

  std::thread(WatchStdin, script.quit_delay_ms).detach();
  for (int round = 0; script.repeat == 0 || round < script.repeat; ++round) {
    for (const std::string& chunk : script.chunks) {
      std::string bytes = chunk;
      if (bytes.size() < script.pad) bytes.append(script.pad - bytes.size(), '.');
      WriteRaw(script.to_stderr, bytes);
      if (!SleepUnlessQuit(script.every_ms)) break;
    }
    if (g_quit) break;
    if (script.chunks.empty() && script.repeat == 0 && !SleepUnlessQuit(100)) break;
  }
  if (g_quit) {
    WriteRaw(script.to_stderr, "[q] command received. Exiting.\n");
    std::_Exit(0);
  }
  if (script.crash) Crash();
  std::_Exit(script.exit_code);  // the stdin watcher may still be blocked in its read
}
