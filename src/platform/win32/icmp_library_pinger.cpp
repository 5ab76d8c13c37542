#include "platform/win32/icmp_library_pinger.h"

#include <winsock2.h>

#include <windows.h>

#include <iphlpapi.h>

#include <icmpapi.h>

#include <algorithm>
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

}  // namespace quillet
