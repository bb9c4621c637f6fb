// Numbers of the Windows Internet services that the library's code and its callers see:
// status notifications, options, request flags and error codes.
#pragma once

#include "framework/win_types.h"
#include "os/windows_api.h" // GENERIC_READ, FILE_ATTRIBUTE_NORMAL, ERROR_INVALID_PARAMETER, ...
#include "vanta/defaults.hpp"
#include "vanta/status.hpp"

// Status notifications, as the caller's StatusCallback receives them: the numbers of the
// public vanta::Status under the names the network layer's code is written in.
inline constexpr DWORD INTERNET_STATUS_RESOLVING_NAME =
    static_cast<DWORD>(vanta::Status::resolving_name);
inline constexpr DWORD INTERNET_STATUS_NAME_RESOLVED =
    static_cast<DWORD>(vanta::Status::name_resolved);
inline constexpr DWORD INTERNET_STATUS_CONNECTING_TO_SERVER =
    static_cast<DWORD>(vanta::Status::connecting_to_server);
inline constexpr DWORD INTERNET_STATUS_CONNECTED_TO_SERVER =
    static_cast<DWORD>(vanta::Status::connected_to_server);
inline constexpr DWORD INTERNET_STATUS_SENDING_REQUEST =
    static_cast<DWORD>(vanta::Status::sending_request);
inline constexpr DWORD INTERNET_STATUS_REQUEST_SENT =
    static_cast<DWORD>(vanta::Status::request_sent);
inline constexpr DWORD INTERNET_STATUS_RECEIVING_RESPONSE =
    static_cast<DWORD>(vanta::Status::receiving_response);
inline constexpr DWORD INTERNET_STATUS_RESPONSE_RECEIVED =
    static_cast<DWORD>(vanta::Status::response_received);
inline constexpr DWORD INTERNET_STATUS_CLOSING_CONNECTION =
    static_cast<DWORD>(vanta::Status::closing_connection);
inline constexpr DWORD INTERNET_STATUS_CONNECTION_CLOSED =
    static_cast<DWORD>(vanta::Status::connection_closed);
inline constexpr DWORD INTERNET_STATUS_HANDLE_CREATED =
    static_cast<DWORD>(vanta::Status::handle_created);
inline constexpr DWORD INTERNET_STATUS_HANDLE_CLOSING =
    static_cast<DWORD>(vanta::Status::handle_closing);

inline constexpr DWORD INTERNET_OPEN_TYPE_PRECONFIG = 0;
inline constexpr INTERNET_PORT INTERNET_INVALID_PORT_NUMBER = 0;
inline constexpr INTERNET_PORT INTERNET_DEFAULT_HTTP_PORT = vanta::defaults::http_port;
inline constexpr INTERNET_PORT INTERNET_DEFAULT_FTP_PORT = vanta::defaults::ftp_port;
inline constexpr INTERNET_PORT INTERNET_DEFAULT_HTTPS_PORT = vanta::defaults::https_port;

// Options for SetOption; values in milliseconds.
inline constexpr DWORD INTERNET_OPTION_CONNECT_TIMEOUT = 2;
inline constexpr DWORD INTERNET_OPTION_DATA_SEND_TIMEOUT = 7;
inline constexpr DWORD INTERNET_OPTION_DATA_RECEIVE_TIMEOUT = 8;

// CHttpFile::QueryInfo levels.
inline constexpr DWORD HTTP_QUERY_CONTENT_LENGTH = 5;
inline constexpr DWORD HTTP_QUERY_FLAG_NUMBER = 0x20000000;

inline constexpr int HTTP_VERB_POST = 0;

inline constexpr DWORD INTERNET_FLAG_RELOAD = 0x80000000;
inline constexpr DWORD INTERNET_FLAG_EXISTING_CONNECT = 0x20000000;
inline constexpr DWORD INTERNET_FLAG_NO_CACHE_WRITE = 0x04000000;
inline constexpr DWORD INTERNET_FLAG_NO_AUTO_REDIRECT = 0x00200000;
// The request goes over TLS (HTTPS), its certificate verified.
inline constexpr DWORD INTERNET_FLAG_SECURE = 0x00800000;

inline constexpr DWORD FTP_TRANSFER_TYPE_BINARY = 2;

// Error numbers carried by CInternetException.
inline constexpr DWORD ERROR_INTERNET_TIMEOUT = 12002;
inline constexpr DWORD ERROR_INTERNET_EXTENDED_ERROR = 12003;
inline constexpr DWORD ERROR_INTERNET_INTERNAL_ERROR = 12004;
inline constexpr DWORD ERROR_INTERNET_INVALID_URL = 12005;
inline constexpr DWORD ERROR_INTERNET_NAME_NOT_RESOLVED = 12007;
inline constexpr DWORD ERROR_INTERNET_INCORRECT_PASSWORD = 12014;
inline constexpr DWORD ERROR_INTERNET_LOGIN_FAILURE = 12015;
inline constexpr DWORD ERROR_INTERNET_OPERATION_CANCELLED = 12017;
inline constexpr DWORD ERROR_INTERNET_CANNOT_CONNECT = 12029;
inline constexpr DWORD ERROR_INTERNET_CONNECTION_ABORTED = 12030;
inline constexpr DWORD ERROR_INTERNET_CONNECTION_RESET = 12031;
// The server's certificate failed verification (issuer, dates or host name).
inline constexpr DWORD ERROR_INTERNET_SEC_INVALID_CERT = 12169;
// No secure channel came about: handshake failed, TLS refused by the server, CA file unusable.
inline constexpr DWORD ERROR_INTERNET_SECURITY_CHANNEL_ERROR = 12157;

// FTP: transfer types, the local file attribute of a fetched file, FTP error numbers.
inline constexpr DWORD FTP_TRANSFER_TYPE_ASCII = 1;
inline constexpr DWORD ERROR_FTP_TRANSFER_IN_PROGRESS = 12110;
inline constexpr DWORD ERROR_FTP_DROPPED = 12111;
