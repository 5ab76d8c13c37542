#pragma once
// The few Windows Sockets names the tunnel uses, on POSIX sockets, so that its code builds and is
// fuzzed on Linux unchanged.
#include <arpa/inet.h>
#include <errno.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/ioctl.h>
#include <sys/select.h>
#include <sys/socket.h>
#include <sys/types.h>
#include <unistd.h>

using SOCKET = int;
inline constexpr SOCKET INVALID_SOCKET = -1;
inline constexpr int WSAEWOULDBLOCK = EINPROGRESS;

inline int closesocket(SOCKET fd) {
  return close(fd);
}
inline int WSAGetLastError() {
  return errno;
}
// Only FIONBIO, which makes the socket non-blocking.
inline int ioctlsocket(SOCKET fd, unsigned long, u_long* on) {
  int flags = fcntl(fd, F_GETFL);
  return fcntl(fd, F_SETFL, *on ? flags | O_NONBLOCK : flags & ~O_NONBLOCK);
}
// Windows ignores the first argument of select(); POSIX needs the highest socket plus one.
#define select(ignored, read, write, failed, limit) ::select(FD_SETSIZE, read, write, failed, limit)
