#pragma once
// How long a network exchange may take and how slow it may get before it is
// given up, and the flag its window sets to end it at once. Every HTTP and
// SMTP exchange of the program runs under these, so a server that trickles or
// stops answering can neither hold a window nor take an evening.

#include <atomic>

struct TNetworkLimits {
    long connectMs = 30'000; // until the server has accepted the connection
    long totalMs = 60'000;   // for the whole exchange
    // Slower than this many bytes a second for lowSpeedSeconds in a row ends it too.
    long lowSpeedBytes = 100;
    long lowSpeedSeconds = 30;
};

// The limits of each kind of exchange. The program uses these defaults;
// tests shorten them.
struct TNetworkLimitSet {
    TNetworkLimits page;                          // the update INI and the connection test
    TNetworkLimits package{.totalMs = 1'800'000}; // the update package
    // One mail with its attachments; a server may think a while over a big
    // mail before it answers.
    TNetworkLimits mail{.totalMs = 900'000, .lowSpeedSeconds = 60};
};

// The limits in force, read when an exchange starts.
TNetworkLimitSet& NetworkLimits();

// Set by a window to end its exchange; the exchange then fails with a
// cancelled EInternetError within about a second.
using TCancelFlag = std::atomic_bool;
