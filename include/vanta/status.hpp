/// \file
/// The network layer's status notifications, as vanta::Config::on_status and
/// vanta::JobOptions::on_status receive them.
#pragma once

#include "vanta/export.h"

#include <cstddef>
#include <functional>
#include <span>
#include <string_view>

namespace vanta {

/// The Internet status numbers of the network layer's notifications, in the order a request
/// meets them; the same numbers as a StatusCallback of the exports receives.
enum class Status : unsigned long {
    resolving_name = 10,       ///< looking up the host's address
    name_resolved = 11,        ///< the address was found
    connecting_to_server = 20, ///< opening the connection
    connected_to_server = 21,  ///< the connection is open
    sending_request = 30,      ///< sending a request or an FTP command
    request_sent = 31,         ///< it was sent
    receiving_response = 40,   ///< waiting for the answer
    response_received = 41,    ///< the answer arrived
    closing_connection = 50,   ///< closing the connection
    connection_closed = 51,    ///< the connection is closed
    handle_created = 60,       ///< a session, connection or request handle was made
    handle_closing = 70,       ///< such a handle is closed
};

/// The status's name as written above, e.g. "resolving_name"; empty for a number that names
/// no status.
VANTA_API std::string_view to_string(Status status) noexcept;

/// A status notification of the network layer: its Internet status number and its
/// information block, valid only during the call.
struct StatusNotification {
    unsigned long code = 0;          ///< the Internet status number (see Status)
    std::span<const std::byte> info; ///< the information block (may be empty)

    /// The status number as a Status (a number outside the list stays as it is).
    Status status() const noexcept { return static_cast<Status>(code); }
};
/// Receiver of status notifications; the thread it runs on is documented where it is given.
using StatusHandler = std::function<void(const StatusNotification&)>;

} // namespace vanta
