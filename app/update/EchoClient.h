#pragma once
// ICMP echo through an unprivileged ping socket, which the update thread uses
// to learn that the update server answers. Systems that do not let the user
// open one (net.ipv4.ping_group_range) say so instead of answering.

#include <QString>
#include <functional>

enum class TEchoResult { Answered, NoAnswer, NotAllowed };

// Sends one echo request to `host` and waits up to `timeoutMs` for its reply,
// giving up early once `stopped` says so (asked every 100 ms). Throws
// EInternetError when the host has no address or the request cannot be sent.
TEchoResult SendEcho(const QString& host, int timeoutMs, const std::function<bool()>& stopped);

// Whether the system reports the computer online: some network interface
// other than the loopback is up, running and has an address.
bool SystemOnline();
