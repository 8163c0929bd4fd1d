#pragma once
// A window class's handlers as a table: window message to member function, command
// identifier to member function. Unlisted messages fall through to default processing.
#include <windows.h>

#include <initializer_list>
#include <vector>

template <class T>
struct MessageEntry {
  UINT message;
  LRESULT (T::*handler)(WPARAM, LPARAM);
};

template <class T>
struct CommandEntry {
  UINT id;
  void (T::*handler)();
};

template <class T>
class MessageMap {
 public:
  MessageMap(std::initializer_list<MessageEntry<T>> messages, std::initializer_list<CommandEntry<T>> commands = {})
      : messages_(messages), commands_(commands) {}

  // True when the table handled the message; `result` then holds the handler's answer.
  bool Dispatch(T* self, UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) const {
    for (const auto& entry : messages_) {
      if (entry.message == message) {
        result = (self->*entry.handler)(wparam, lparam);
        return true;
      }
    }
    if (message == WM_COMMAND) {
      for (const auto& entry : commands_) {
        if (entry.id == LOWORD(wparam)) {
          (self->*entry.handler)();
          result = 0;
          return true;
        }
      }
    }
    return false;
  }

 private:
  std::vector<MessageEntry<T>> messages_;
  std::vector<CommandEntry<T>> commands_;
};
