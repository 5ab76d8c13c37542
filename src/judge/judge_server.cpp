#include "judge/judge_server.h"

#include <arpa/inet.h>
#include <microhttpd.h>
#include <netinet/in.h>

#include <cstring>
#include <ctime>

#include "judge/judge_page.h"

namespace quillet::judge {
namespace {

MHD_Result CollectHeader(void* cls, MHD_ValueKind, const char* key, const char* value) {
  static_cast<VisitorRequest*>(cls)->headers.emplace_back(key ? key : "", value ? value : "");
  return MHD_YES;
}

MHD_Result CollectArgument(void* cls, MHD_ValueKind, const char* key, const char* value) {
  std::string& uri = *static_cast<std::string*>(cls);
  uri += uri.find('?') == std::string::npos ? "?" : "&";
  uri += key ? key : "";
  if (value) uri += std::string("=") + value;
  return MHD_YES;
}

void ReadPeer(MHD_Connection* connection, VisitorRequest& request) {
  const MHD_ConnectionInfo* info =
      MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CLIENT_ADDRESS);
  if (!info || !info->client_addr || info->client_addr->sa_family != AF_INET) return;
  sockaddr_in peer;
  std::memcpy(&peer, info->client_addr, sizeof peer);
  char text[INET_ADDRSTRLEN] = "";
  inet_ntop(AF_INET, &peer.sin_addr, text, sizeof text);
  request.remote_addr = text;
  request.remote_port = ntohs(peer.sin_port);
}

MHD_Result Queue(MHD_Connection* connection, unsigned status, const std::string& text) {
  MHD_Response* response = MHD_create_response_from_buffer(
      text.size(), const_cast<char*>(text.data()), MHD_RESPMEM_MUST_COPY);
  if (!response) return MHD_NO;
  MHD_add_response_header(response, "Content-Type", "text/plain; charset=us-ascii");
  MHD_add_response_header(response, "Cache-Control", "no-store");
  MHD_Result queued = MHD_queue_response(connection, status, response);
  MHD_destroy_response(response);
  return queued;
}

MHD_Result Answer(void*, MHD_Connection* connection, const char* url, const char* method,
                  const char* version, const char*, size_t* upload_size, void**) {
  if (std::strcmp(method, "GET") != 0 && std::strcmp(method, "HEAD") != 0) {
    if (*upload_size != 0) {
      *upload_size = 0;  // a body is read and dropped
      return MHD_YES;
    }
    return Queue(connection, MHD_HTTP_METHOD_NOT_ALLOWED, "Only GET is answered here.\n");
  }
  VisitorRequest request;
  ReadPeer(connection, request);
  request.method = method;
  request.uri = url ? url : "/";
  MHD_get_connection_values(connection, MHD_GET_ARGUMENT_KIND, &CollectArgument, &request.uri);
  request.protocol = version ? version : "";
  request.time = static_cast<long long>(std::time(nullptr));
  MHD_get_connection_values(connection, MHD_HEADER_KIND, &CollectHeader, &request);
  return Queue(connection, MHD_HTTP_OK, JudgePage(request));
}

}  // namespace

JudgeServer::JudgeServer(const ServerOptions& options) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(options.port);
  if (inet_pton(AF_INET, options.address.c_str(), &address.sin_addr) != 1) {
    error_ = "not an IPv4 address: " + options.address;
    return;
  }
  unsigned flags = MHD_USE_INTERNAL_POLLING_THREAD | MHD_USE_EPOLL | MHD_USE_ERROR_LOG;
  daemon_ = MHD_start_daemon(
      flags, options.port, nullptr, nullptr, &Answer, nullptr, MHD_OPTION_SOCK_ADDR, &address,
      MHD_OPTION_CONNECTION_LIMIT, options.max_connections, MHD_OPTION_CONNECTION_TIMEOUT,
      options.idle_timeout_s, MHD_OPTION_CONNECTION_MEMORY_LIMIT, options.memory_per_connection,
      MHD_OPTION_THREAD_POOL_SIZE, options.threads, MHD_OPTION_LISTEN_BACKLOG_SIZE, 1024u,
      MHD_OPTION_END);
  if (!daemon_) {
    error_ = "cannot listen on " + options.address + ":" + std::to_string(options.port);
    return;
  }
  const MHD_DaemonInfo* info = MHD_get_daemon_info(daemon_, MHD_DAEMON_INFO_BIND_PORT);
  port_ = info ? info->port : options.port;
}

JudgeServer::~JudgeServer() {
  if (daemon_) MHD_stop_daemon(daemon_);
}

}  // namespace quillet::judge
