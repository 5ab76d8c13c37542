#pragma once
// getaddrinfo() and socklen_t, as Windows Sockets has them (see winsock2.h here).
#include <netdb.h>

#include "winsock2.h"
