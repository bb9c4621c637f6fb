// The names of the network layer's status notifications.
#include "vanta/status.hpp"

namespace vanta {

std::string_view to_string(Status status) noexcept {
    switch (status) {
    case Status::resolving_name:
        return "resolving_name";
    case Status::name_resolved:
        return "name_resolved";
    case Status::connecting_to_server:
        return "connecting_to_server";
    case Status::connected_to_server:
        return "connected_to_server";
    case Status::sending_request:
        return "sending_request";
    case Status::request_sent:
        return "request_sent";
    case Status::receiving_response:
        return "receiving_response";
    case Status::response_received:
        return "response_received";
    case Status::closing_connection:
        return "closing_connection";
    case Status::connection_closed:
        return "connection_closed";
    case Status::handle_created:
        return "handle_created";
    case Status::handle_closing:
        return "handle_closing";
    }
    return {};
}

} // namespace vanta
