#include "platform/win32/icmp_library_pinger.h"

#include <winsock2.h>

#include <windows.h>

#include <iphlpapi.h>

#include <icmpapi.h>

#include <algorithm>
#include <chrono>
#include <cstring>

namespace quillet {
namespace {

constexpr DWORD kReplyRecordBytes = 278;

}  // namespace

bool IcmpLibraryPinger::Echo(uint32_t address, const std::string& payload, int32_t timeout_ms,
                             EchoReply& reply) {
  HANDLE icmp = IcmpCreateFile();
  if (icmp == INVALID_HANDLE_VALUE || !icmp) return false;
  alignas(ICMP_ECHO_REPLY) unsigned char record[kReplyRecordBytes] = {};
  std::string request = payload;  // the library takes a writable buffer
  DWORD replies = IcmpSendEcho(icmp, address, request.data(), static_cast<WORD>(request.size()),
                               nullptr, record, kReplyRecordBytes, static_cast<DWORD>(timeout_ms));
  DWORD error = replies ? 0 : GetLastError();
  IcmpCloseHandle(icmp);

  ICMP_ECHO_REPLY echo;
  std::memcpy(&echo, record, sizeof echo);
  reply.address = echo.Address;
  reply.status = echo.Status;
  // Without a reply the library may leave the record untouched and tell the IP status only
  // through the last error.
  if (!replies && reply.status == IP_SUCCESS) {
    reply.status = error >= IP_STATUS_BASE ? error : IP_GENERAL_FAILURE;
  }
  reply.round_trip_ms = echo.RoundTripTime;
  reply.data.clear();
  if (replies && echo.Data) {
    size_t size = std::min<size_t>(echo.DataSize, kEchoDataBytes);
    reply.data.assign(static_cast<const char*>(echo.Data), size);
  }
  return true;
}

bool IcmpLibraryPinger::Connect(uint32_t address, uint16_t port, int32_t timeout_ms,
                                EchoReply& reply) {
  WSADATA sockets;
  if (WSAStartup(MAKEWORD(2, 2), &sockets) != 0) return false;
  SOCKET socket_handle = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (socket_handle == INVALID_SOCKET) {
    WSACleanup();
    return false;
  }
  u_long non_blocking = 1;
  ioctlsocket(socket_handle, FIONBIO, &non_blocking);
  sockaddr_in target{};
  target.sin_family = AF_INET;
  target.sin_port = htons(port);
  target.sin_addr.s_addr = address;
  auto start = std::chrono::steady_clock::now();
  reply.address = address;
  reply.status = IP_REQ_TIMED_OUT;
  int result = connect(socket_handle, reinterpret_cast<sockaddr*>(&target), sizeof target);
  if (result == 0 || WSAGetLastError() == WSAEWOULDBLOCK) {
    fd_set writable, failed;
    FD_ZERO(&writable);
    FD_ZERO(&failed);
    FD_SET(socket_handle, &writable);
    FD_SET(socket_handle, &failed);
    timeval wait{timeout_ms / 1000, (timeout_ms % 1000) * 1000};
    int ready = result == 0 ? 1 : select(0, nullptr, &writable, &failed, &wait);
    if (ready > 0) reply.status = FD_ISSET(socket_handle, &failed) ? IP_DEST_PORT_UNREACHABLE : 0;
  } else {
    reply.status = IP_DEST_PORT_UNREACHABLE;
  }
  reply.round_trip_ms = static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                                  std::chrono::steady_clock::now() - start)
                                                  .count());
  closesocket(socket_handle);
  WSACleanup();
  return true;
}

}  // namespace quillet
