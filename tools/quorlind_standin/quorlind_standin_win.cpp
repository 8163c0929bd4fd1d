// Stand-in for the encoder quorlind.exe on machines without Windows capture devices (Wine).
// It hands its command line, the capture area from the registry, the display and the Wine
// prefix to standin_helper.py over loopback; the helper runs the real ffmpeg with an X11
// screen grab in place of the DirectShow devices. Output comes back and goes to this
// program's standard output and error, standard input (the "q" of a stop) goes to ffmpeg,
// and ffmpeg's exit code becomes this program's. When this program is terminated, its
// connection closes and the helper kills ffmpeg.
//
// Connection: 127.0.0.1, port $QUORLIN_STANDIN_PORT (47815 when unset).
// Sent: "QUORLIN-STANDIN 1\n", then "key value\n" lines (display, prefix, area x y w h,
// command), an empty line, then standard input as it arrives. Received: frames of one type
// byte ('O' output, 'E' error output, 'X' exit code), a 4-byte big-endian length and data.
#include <winsock2.h>
#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/utf8.h"

namespace {

constexpr wchar_t kCaptureKey[] = L"Software\\screen-capture-recorder";
constexpr unsigned short kDefaultPort = 47815;

std::string Environment(const wchar_t* name) {
  wchar_t value[4096];
  const DWORD length = GetEnvironmentVariableW(name, value, 4096);
  return length > 0 && length < 4096 ? platform::WideToUtf8(std::wstring(value, length)) : std::string();
}

// The capture area, when all four values are present ("x y w h"); empty for the whole screen.
std::string CaptureArea() {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kCaptureKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return "";
  std::string area;
  for (const wchar_t* name : {L"start_x", L"start_y", L"capture_width", L"capture_height"}) {
    DWORD value = 0, size = sizeof value, type = 0;
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS ||
        type != REG_DWORD) {
      area.clear();
      break;
    }
    area += (area.empty() ? "" : " ") + std::to_string(static_cast<int32_t>(value));
  }
  RegCloseKey(key);
  return area;
}

bool SendAll(SOCKET socket, const char* data, size_t size) {
  while (size > 0) {
    const int sent = send(socket, data, static_cast<int>(size), 0);
    if (sent <= 0) return false;
    data += sent;
    size -= static_cast<size_t>(sent);
  }
  return true;
}

bool ReceiveAll(SOCKET socket, char* data, size_t size) {
  while (size > 0) {
    const int received = recv(socket, data, static_cast<int>(size), 0);
    if (received <= 0) return false;
    data += received;
    size -= static_cast<size_t>(received);
  }
  return true;
}

DWORD WINAPI ForwardStandardInput(void* socket_pointer) {
  const SOCKET socket = *static_cast<SOCKET*>(socket_pointer);
  char buffer[256];
  DWORD count = 0;
  while (ReadFile(GetStdHandle(STD_INPUT_HANDLE), buffer, sizeof buffer, &count, nullptr) && count > 0) {
    if (!SendAll(socket, buffer, count)) break;
  }
  return 0;
}

void WriteTo(DWORD which, const std::string& bytes) {
  DWORD written = 0;
  WriteFile(GetStdHandle(which), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

}  // namespace

int wmain() {
  WSADATA wsa;
  if (WSAStartup(MAKEWORD(2, 2), &wsa) != 0) return 1;
  static SOCKET connection = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in address = {};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  const std::string port = Environment(L"QUORLIN_STANDIN_PORT");
  address.sin_port = htons(port.empty() ? kDefaultPort : static_cast<unsigned short>(std::atoi(port.c_str())));
  if (connection == INVALID_SOCKET || connect(connection, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    WriteTo(STD_ERROR_HANDLE,
            "quorlind stand-in: the recording helper is not running (tools/quorlind_standin/start-helper.sh)\n");
    return 1;
  }

  std::string header = "QUORLIN-STANDIN 1\n";
  header += "display " + Environment(L"DISPLAY") + "\n";
  header += "prefix " + Environment(L"WINEPREFIX") + "\n";
  const std::string area = CaptureArea();
  if (!area.empty()) header += "area " + area + "\n";
  header += "command " + platform::WideToUtf8(GetCommandLineW()) + "\n\n";
  if (!SendAll(connection, header.data(), header.size())) return 1;

  HANDLE forwarder = CreateThread(nullptr, 0, ForwardStandardInput, &connection, 0, nullptr);
  if (forwarder != nullptr) CloseHandle(forwarder);

  for (;;) {
    unsigned char head[5];
    if (!ReceiveAll(connection, reinterpret_cast<char*>(head), sizeof head)) return 1;
    const uint32_t length = (uint32_t{head[1]} << 24) | (uint32_t{head[2]} << 16) | (uint32_t{head[3]} << 8) | head[4];
    std::string data(length, '\0');
    if (length > 0 && !ReceiveAll(connection, data.data(), length)) return 1;
    if (head[0] == 'O') WriteTo(STD_OUTPUT_HANDLE, data);
    if (head[0] == 'E') WriteTo(STD_ERROR_HANDLE, data);
    if (head[0] == 'X' && length == 4) {
      const auto* bytes = reinterpret_cast<const unsigned char*>(data.data());
      const uint32_t code =
          (uint32_t{bytes[0]} << 24) | (uint32_t{bytes[1]} << 16) | (uint32_t{bytes[2]} << 8) | bytes[3];
      closesocket(connection);
      ExitProcess(code);  // the standard input forwarder may still wait in its read
    }
  }
}
