#include "win32/loopback_listener.h"

#include <ws2tcpip.h>

namespace quillet::testing {
namespace {

std::string ReadHead(SOCKET connection) {
  std::string head;
  char buffer[1024];
  while (head.find("\r\n\r\n") == std::string::npos && head.size() < 65536) {
    int got = recv(connection, buffer, sizeof buffer, 0);
    if (got <= 0) break;
    head.append(buffer, static_cast<size_t>(got));
  }
  return head;
}

}  // namespace

LoopbackListener::LoopbackListener(const std::string& address, std::string answer)
    : address_(address), answer_(std::move(answer)) {
  WSADATA data;
  WSAStartup(0x0202, &data);
  listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in where = {};
  where.sin_family = AF_INET;
  where.sin_addr.s_addr = inet_addr(address.c_str());
  int size = sizeof where;
  if (bind(listener_, reinterpret_cast<sockaddr*>(&where), sizeof where) != 0 ||
      listen(listener_, 8) != 0 ||
      getsockname(listener_, reinterpret_cast<sockaddr*>(&where), &size) != 0) {
    closesocket(listener_);
    listener_ = INVALID_SOCKET;
    return;
  }
  port_ = ntohs(where.sin_port);
  server_ = std::thread([this] { Serve(); });
}

LoopbackListener::~LoopbackListener() {
  stopping_ = true;
  if (listener_ != INVALID_SOCKET) closesocket(listener_);
  if (server_.joinable()) server_.join();
  WSACleanup();
}

std::vector<std::string> LoopbackListener::requests() {
  std::lock_guard<std::mutex> lock(mutex_);
  return requests_;
}

void LoopbackListener::Serve() {
  while (!stopping_) {
    SOCKET connection = accept(listener_, nullptr, nullptr);
    if (connection == INVALID_SOCKET) return;
    std::string head = ReadHead(connection);
    {
      std::lock_guard<std::mutex> lock(mutex_);
      requests_.push_back(head);
    }
    if (answer_.empty()) {
      while (!stopping_) Sleep(20);  // a black hole: the request is never answered
    } else {
      send(connection, answer_.data(), static_cast<int>(answer_.size()), 0);
      shutdown(connection, SD_SEND);
    }
    closesocket(connection);
  }
}

}  // namespace quillet::testing
