/** \file
   The C interface to the publishing service: plain C99, callable from any compiler and from
   every language that can call C. It offers what vanta::Client offers, without the C++.

       vanta_config config;
       VANTA_CONFIG_INIT(&config);
       config.host = "service.example";
       vanta_client* client = NULL;
       vanta_error* error = NULL;
       if (vanta_client_new(&config, &client, &error) == VANTA_OK) {
           vanta_login* login = NULL;
           if (vanta_validate_user(client, "alice", "secret", "7", &login, &error) == VANTA_OK) {
               ... login->has_homepage ...
               vanta_login_free(login);
           } else {
               fprintf(stderr, "%s\n", vanta_error_reason(error));
               vanta_error_free(error);
           }
           vanta_client_free(client);
       }

   The rules every function keeps:
   - Results: a function gives VANTA_OK, or the category of its failure; then, when `error` is
     not NULL, *error receives a new error object that the caller frees with vanta_error_free.
     On success *error is left alone. A function's out-parameters are written on success only.
   - Strings are UTF-8 and NUL-terminated, and are borrowed for the call only: the library
     copies what it keeps. A NULL string argument fails the call with
     VANTA_ERROR_INVALID_ARGUMENT, nothing sent.
   - Records (vanta_user, vanta_asset, ...) are made by the library and belong to the caller,
     who frees each with its own _free function (which accepts NULL). Their strings live as long
     as the record. A record's first member `size` holds the size the library filled: later
     versions add members only at the end, so a caller reads a newer member only when `size`
     covers it (VANTA_HAS_MEMBER).
   - Threads: a client may be used by any number of threads at once; vanta_client_free must
     not overlap another call with the same client. Records and errors are plain data that any
     one thread at a time may read or free.
   - Callbacks (progress, status, trace) take a `void* user_data` that the library hands on
     untouched; where each runs, and until when its user_data is used, is stated where it is
     given. Each may call back into this interface; none is called after the function that
     ends its use (vanta_client_free with no job left, vanta_job_free, vanta_set_trace_handler)
     has returned.
   - Every call blocks its caller until it is done, bounded by the configured time-outs.
   - Nothing throws or aborts across this interface: a failure of the library itself (out of
     memory, ...) gives VANTA_ERROR_INTERNAL. */
#ifndef VANTA_VANTA_H
#define VANTA_VANTA_H

#include <stdbool.h>
#include <stddef.h>
#include <stdint.h>

#if defined(_WIN32) && defined(VANTAAPI_BUILDING)
/** Marks what the library exports. */
#define VANTA_C_API __declspec(dllexport)
#elif defined(_WIN32)
/** Marks what the library exports. */
#define VANTA_C_API __declspec(dllimport)
#elif defined(VANTAAPI_BUILDING)
/** Marks what the library exports. */
#define VANTA_C_API __attribute__((visibility("default")))
#else
/** Marks what the library exports. */
#define VANTA_C_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* ----------------------------------------------------------------------------------------
   Results and errors */

/** What a call gave: VANTA_OK, or what kind of failure it was. The numbers never change. */
typedef enum vanta_result {
    VANTA_OK = 0,
    /** The host could not be reached, a wait ran out, the transfer or the reply broke off, or
       the service answered with an error page. */
    VANTA_ERROR_NETWORK = 1,
    VANTA_ERROR_UNKNOWN_USER = 2,           /**< the service knows no such user */
    VANTA_ERROR_WRONG_PASSWORD = 3,         /**< the password does not match the account */
    VANTA_ERROR_PRODUCT_NOT_REGISTERED = 4, /**< the login is right, the product is not its */
    VANTA_ERROR_NOT_FOUND = 5,              /**< no such asset, homepage, file or directory */
    VANTA_ERROR_REFUSED = 6,                /**< the service declined the request */
    VANTA_ERROR_NO_SPACE = 7,               /**< the upload does not fit the disk quota */
    VANTA_ERROR_LOCAL_FILE = 8,        /**< a local file could not be opened, read or written */
    VANTA_ERROR_UNEXPECTED_REPLY = 9,  /**< the service's reply does not have the right shape */
    VANTA_ERROR_INVALID_ARGUMENT = 10, /**< the request was refused before anything was sent */
    VANTA_ERROR_CANCELLED = 11,        /**< the job was cancelled */
    VANTA_ERROR_INTERNAL = 12          /* the library itself failed (out of memory, ...) */
} vanta_result;

/** The result's name, e.g. "wrong_password" or "ok"; a static string ("unknown" for a number
   that is none of the above). Any thread. */
VANTA_C_API const char* vanta_result_name(vanta_result result);

/** Why a call failed. Opaque; made by the failing call, freed by the caller. */
typedef struct vanta_error vanta_error;

/** The failure's category (never VANTA_OK). */
VANTA_C_API vanta_result vanta_error_category(const vanta_error* error);
/** The result code that the matching QDX_ export gives for the same outcome; 0 when there is
   no export counterpart. */
VANTA_C_API unsigned int vanta_error_code(const vanta_error* error);
/** What went wrong, for people; owned by the error, valid until it is freed. */
VANTA_C_API const char* vanta_error_reason(const vanta_error* error);
/** The number of an asset that a failed job could not take back, or "": owned by the error. */
VANTA_C_API const char* vanta_error_asset_number(const vanta_error* error);
/** Frees the error; NULL is accepted. */
VANTA_C_API void vanta_error_free(vanta_error* error);

/** Whether `record`, of type `type`, was filled far enough to hold `member`. */
#define VANTA_HAS_MEMBER(type, record, member)                                                     \
    ((record)->size >= offsetof(type, member) + sizeof((record)->member))

/* ----------------------------------------------------------------------------------------
   Status notifications and the trace */

/** The status numbers of the network layer's notifications, in the order a request meets
   them: the Internet status numbers that the exports' StatusCallback receives. */
typedef enum vanta_status {
    VANTA_STATUS_RESOLVING_NAME = 10,       /**< looking up the host's address */
    VANTA_STATUS_NAME_RESOLVED = 11,        /**< the address was found */
    VANTA_STATUS_CONNECTING_TO_SERVER = 20, /**< opening the connection */
    VANTA_STATUS_CONNECTED_TO_SERVER = 21,  /**< the connection is open */
    VANTA_STATUS_SENDING_REQUEST = 30,      /**< sending a request or an FTP command */
    VANTA_STATUS_REQUEST_SENT = 31,         /**< it was sent */
    VANTA_STATUS_RECEIVING_RESPONSE = 40,   /**< waiting for the answer */
    VANTA_STATUS_RESPONSE_RECEIVED = 41,    /**< the answer arrived */
    VANTA_STATUS_CLOSING_CONNECTION = 50,   /**< closing the connection */
    VANTA_STATUS_CONNECTION_CLOSED = 51,    /**< the connection is closed */
    VANTA_STATUS_HANDLE_CREATED = 60,       /**< a session, connection or request handle was made */
    VANTA_STATUS_HANDLE_CLOSING = 70        /* such a handle is closed */
} vanta_status;

/** Receives one status notification: `status` (a vanta_status number) and the notification's
    information block, `info_size` bytes at `info` (NULL when empty), valid for the call only:
    the host name (RESOLVING_NAME) and the address found (NAME_RESOLVED) as NUL-terminated
    text, the bytes sent or received (REQUEST_SENT, RESPONSE_RECEIVED) as a 4-byte count in
    the machine's order, a socket address or a handle for the others.
    It runs on the thread that does the network work, during the operation (see where it is
    given), and the operation waits for it: keep it short. It may call any function of this
    interface, on any client, also the one whose operation is running (that call then gives
    its own notifications to the same callback: guard against recursion); it must not free
    that client. */
typedef void (*vanta_status_callback)(unsigned int status, const void* info, size_t info_size,
                                      void* user_data);

/** Receives one line of the conversation with the service, NUL-terminated and valid for the
    call only: "> " what was sent (request line and headers, FTP commands), "< " what the
    server answered (status and header lines, FTP replies), "* " what the network layer did
    (connecting, each retry and its wait). Bodies and file contents are never traced;
    passwords and credentials are masked. */
typedef void (*vanta_trace_callback)(const char* line, void* user_data);

/** Installs `callback` with `user_data` for the whole process (every client, every job and
    the exports), replacing what was installed before, also by QDX_SetTraceCallback or
    vanta::set_trace_handler; NULL removes it. The callback runs on the threads that do the
    network work (the callers of operations, the jobs' workers), possibly on several at once,
    and may call any function of this interface, this one included. When this function
    returns, the handler it replaced is no longer running and is never called again, so its
    user_data may go; called from inside that handler, it returns at once and the handler's
    call on this thread ends when the callback returns. Any thread. */
VANTA_C_API void vanta_set_trace_handler(vanta_trace_callback callback, void* user_data);

/* ----------------------------------------------------------------------------------------
   Configuration and the client */

/** Where a client finds the service, and how long it waits. The caller owns it and sets its
   `size` through VANTA_CONFIG_INIT, which also fills the defaults: later versions add members
   only at the end, and the library takes the defaults for those beyond the caller's `size`,
   so a program built against an older header keeps working unchanged. Strings are borrowed:
   vanta_client_new copies them. NULL or "" in a string means the default. */
typedef struct vanta_config {
    size_t size;                /**< sizeof(vanta_config) as the caller compiled it */
    const char* host;           /**< host name or address of the service */
    unsigned int http_port;     /**< port of the service's CGI programs */
    unsigned int ftp_port;      /**< port of the service's FTP server */
    int64_t ftp_timeout_ms;     /**< no progress on an FTP connection this long ends it */
    int64_t http_timeout_ms;    /**< an HTTP connect or wait fails after this long */
    bool tls;                   /**< HTTPS and explicit FTPS; never clear text instead */
    const char* ca_file;        /**< a further trusted authority (PEM), or NULL */
    unsigned int https_port;    /**< port of the CGI programs over HTTPS */
    const char* login_name;     /**< the login both channels present, or NULL */
    const char* login_password; /**< its password, or NULL */
    const char* update_key;     /**< PEM public key download_update checks, or NULL */
    unsigned int retries;       /**< how often a failed network request is repeated */
    int64_t retry_budget_ms;    /**< the time all repeats of one request may take */
    /** The wait before the first repeat; each further wait doubles, up to max_backoff_ms. */
    int64_t initial_backoff_ms;
    int64_t max_backoff_ms; /**< the longest wait between two attempts */
    double jitter;          /**< the share (0 to 1) by which each wait is shortened at random */
    /** Receives the status notifications of this client's operations, NULL: none. It runs on
        the thread that called the operation, during the call, and for a job whose options
        name no status callback of their own, on the job's worker thread; it must be safe to
        call from several threads when the client is used so. */
    vanta_status_callback on_status;
    /** Handed to on_status as it is; used until the client is freed and every job started
        from it has ended or had its handle freed. */
    void* status_user_data;
    /** How many files a job or vanta_send_files sends at once, each over an FTP connection of
        its own (1 to 32); a server that takes fewer connections gets fewer. */
    unsigned int parallel_transfers;
} vanta_config;

/** Fills `config` with the defaults of the exports and sets its size to `size`. Any thread. */
VANTA_C_API void vanta_config_init(vanta_config* config, size_t size);
/** Fills the defaults into the caller's config, of the size the caller knows. */
#define VANTA_CONFIG_INIT(config) vanta_config_init((config), sizeof *(config))

/** The service, as one configuration reaches it. Opaque. */
typedef struct vanta_client vanta_client;

/** A client for `config` (NULL: the defaults); *client receives it, freed by the caller with
   vanta_client_free. A host that cannot be one fails here with VANTA_ERROR_INVALID_ARGUMENT;
   another value out of its range makes every call of the client fail so. Any thread. */
VANTA_C_API vanta_result vanta_client_new(const vanta_config* config, vanta_client** client,
                                          vanta_error** error);
/** A client with the configuration the exports would use in this process now: the environment
   (VANTA_SERVER, VANTA_HTTP_PORT, ...), then the registry file, then the defaults. A setting
   that cannot be used fails with VANTA_ERROR_INVALID_ARGUMENT, naming it, and makes no client.
   Any thread. */
VANTA_C_API vanta_result vanta_client_new_from_environment(vanta_client** client,
                                                           vanta_error** error);
/** Frees the client; NULL is accepted. Not while another call uses the same client. */
VANTA_C_API void vanta_client_free(vanta_client* client);

/* ----------------------------------------------------------------------------------------
   Accounts */

/** A valid login, with the service's two flags. */
typedef struct vanta_login {
    size_t size;        /**< the size of the struct as its maker filled it (see VANTA_HAS_MEMBER) */
    bool has_published; /**< the account has published an asset under the product */
    bool has_homepage;  /**< the account has a homepage */
} vanta_login;
/** Frees the record and all it holds; NULL is accepted. */
VANTA_C_API void vanta_login_free(vanta_login* login);

/** The personal details of an account. As an argument the caller owns it and sets `size` with
   VANTA_USER_DETAILS_INIT (all texts empty, NULL meaning ""); inside a vanta_user the library
   owns it. */
typedef struct vanta_user_details {
    size_t size; /**< the size of the struct as its maker filled it (see VANTA_HAS_MEMBER) */
    const char* first_name;     /**< first name */
    const char* last_name;      /**< last name */
    const char* middle_initial; /**< middle initial */
    const char* address;        /**< street address */
    const char* city;           /**< city */
    const char* state;          /**< state or region */
    const char* zip;            /**< postal code */
    const char* email;          /**< mail address */
    const char* day_phone;      /**< day-time telephone number */
    const char* extension;      /**< its extension */
    const char* fax;            /**< fax number */
    const char* night_phone;    /**< evening telephone number */
    const char* code;           /**< the account's code text */
} vanta_user_details;
/** Sets every text of `details` to NULL (""), and its size to `size`. Any thread. */
VANTA_C_API void vanta_user_details_init(vanta_user_details* details, size_t size);
/** Empties the caller's details, of the size the caller knows. */
#define VANTA_USER_DETAILS_INIT(details) vanta_user_details_init((details), sizeof *(details))

/** What a registration did. */
typedef enum vanta_registration_kind {
    VANTA_NEW_ACCOUNT = 0, /**< the account was created */
    VANTA_NEW_PRODUCT = 1, /**< a known account registered a further product */
    VANTA_EXISTING = 2     /* the account and the product were both known */
} vanta_registration_kind;

/** The outcome of a registration. */
typedef struct vanta_registration {
    size_t size; /**< the size of the struct as its maker filled it (see VANTA_HAS_MEMBER) */
    vanta_registration_kind kind; /**< what the registration did */
    const char* user_id;          /**< the user id */
    const char* user_number;      /**< the account's number on the service */
    const char* message;          /**< the service's free text */
} vanta_registration;
/** Frees the record and all it holds; NULL is accepted. */
VANTA_C_API void vanta_registration_free(vanta_registration* registration);

/** The service's record of a user. */
typedef struct vanta_user {
    size_t size; /**< the size of the struct as its maker filled it (see VANTA_HAS_MEMBER) */
    const char* user_id;               /**< the user id */
    const vanta_user_details* details; /**< the person's details, owned by the record */
    int64_t user_number;               /**< the account's number on the service */
    int64_t asset_count;               /**< number of assets */
    int64_t product_count;             /**< number of registered products */
} vanta_user;
/** Frees the record and all it holds; NULL is accepted. */
VANTA_C_API void vanta_user_free(vanta_user* user);

/** Checks a login for a product: *login, or WRONG_PASSWORD, PRODUCT_NOT_REGISTERED (also for a
   wrong password and an unregistered product together: code 9216), UNKNOWN_USER, NETWORK. */
VANTA_C_API vanta_result vanta_validate_user(const vanta_client* client, const char* user_id,
                                             const char* password, const char* product_id,
                                             vanta_login** login, vanta_error** error);
/** Registers an account, or a further product of one: WRONG_PASSWORD when the account exists
   with another password, REFUSED for unusable details. `details` may be NULL (all empty). */
VANTA_C_API vanta_result vanta_register_user(const vanta_client* client, const char* user_id,
                                             const char* password, const char* product_id,
                                             const vanta_user_details* details,
                                             vanta_registration** registration,
                                             vanta_error** error);
/** The user's record, or UNKNOWN_USER. */
VANTA_C_API vanta_result vanta_user_info(const vanta_client* client, const char* user_id,
                                         vanta_user** user, vanta_error** error);
/** Writes the user's details back; REFUSED for an unknown user or a wrong password. */
VANTA_C_API vanta_result vanta_update_user(const vanta_client* client, const char* user_id,
                                           const char* password, const vanta_user_details* details,
                                           vanta_error** error);
/** Removes the account, or UNKNOWN_USER. */
VANTA_C_API vanta_result vanta_delete_user(const vanta_client* client, const char* user_id,
                                           vanta_error** error);

/* ----------------------------------------------------------------------------------------
   Assets */

/** One published asset. Times are seconds since 1970-01-01 UTC. */
typedef struct vanta_asset {
    size_t size; /**< the size of the struct as its maker filled it (see VANTA_HAS_MEMBER) */
    const char* user_number;       /**< the owner's user id, as the request named it */
    const char* asset_number;      /**< the asset's number */
    const char* name;              /**< the asset's name */
    const char* description;       /**< free text, as the service sent it */
    int64_t product;               /**< the product it belongs to */
    int64_t type;                  /**< the asset type given at upload */
    int64_t declared_size;         /**< bytes, as announced when the asset was created */
    const char* asset_id;          /**< the login name of the asset's page */
    const char* password;          /**< the password of the asset's page */
    int64_t created;               /**< when the asset was created, seconds since 1970 UTC */
    int64_t file_count;            /**< number of files */
    const char* page_address;      /**< address of the asset's page */
    int64_t page_views;            /**< views of the asset's page */
    size_t file_name_count;        /**< how many names file_names holds */
    const char* const* file_names; /**< in upload order */
} vanta_asset;
/** Frees the record and all it holds; NULL is accepted. */
VANTA_C_API void vanta_asset_free(vanta_asset* asset);

/** Assets of one user: `count` records, each owned by the list. */
typedef struct vanta_asset_list {
    size_t size;  /**< the size of the struct as its maker filled it (see VANTA_HAS_MEMBER) */
    size_t count; /**< how many records items holds */
    const vanta_asset* const* items; /**< the records, owned by this struct */
} vanta_asset_list;
/** Frees the record and all it holds; NULL is accepted. */
VANTA_C_API void vanta_asset_list_free(vanta_asset_list* list);

/** The page views of an asset on one day (`day`: seconds since 1970-01-01 UTC, at midnight). */
typedef struct vanta_asset_stat {
    size_t size;        /**< the size of the struct as its maker filled it (see VANTA_HAS_MEMBER) */
    int64_t day;        /**< the day, seconds since 1970 UTC at its midnight */
    int64_t page_views; /**< views of the asset's page */
} vanta_asset_stat;

/** The page views of an asset per day: `count` records, each owned by the struct. */
typedef struct vanta_asset_stats {
    size_t size;  /**< the size of the struct as its maker filled it (see VANTA_HAS_MEMBER) */
    size_t count; /**< how many records items holds */
    const vanta_asset_stat* const* items; /**< the records, owned by this struct */
} vanta_asset_stats;
/** Frees the record and all it holds; NULL is accepted. */
VANTA_C_API void vanta_asset_stats_free(vanta_asset_stats* stats);

/** A user's disk quota, in bytes. */
typedef struct vanta_disk_space {
    size_t size;    /**< the size of the struct as its maker filled it (see VANTA_HAS_MEMBER) */
    uint64_t quota; /**< the quota, bytes */
    uint64_t used;  /**< bytes stored now */
} vanta_disk_space;
/** Frees the record and all it holds; NULL is accepted. */
VANTA_C_API void vanta_disk_space_free(vanta_disk_space* space);

/** One asset of the user, or NOT_FOUND. */
VANTA_C_API vanta_result vanta_asset_info(const vanta_client* client, const char* user_id,
                                          const char* asset_number, vanta_asset** asset,
                                          vanta_error** error);
/** The user's assets under `product`; a user without assets gives an empty list. */
VANTA_C_API vanta_result vanta_asset_list_get(const vanta_client* client, const char* user_id,
                                              const char* product, vanta_asset_list** list,
                                              vanta_error** error);
/** The page views per day of an asset (empty when there are none), or REFUSED. */
VANTA_C_API vanta_result vanta_asset_stats_get(const vanta_client* client, const char* user_id,
                                               const char* asset_number, vanta_asset_stats** stats,
                                               vanta_error** error);
/** Removes an asset's record, or REFUSED. */
VANTA_C_API vanta_result vanta_delete_asset(const vanta_client* client, const char* user_id,
                                            const char* product, const char* asset_number,
                                            vanta_error** error);
/** The user's quota and the space used, or UNEXPECTED_REPLY. */
VANTA_C_API vanta_result vanta_disk_space_get(const vanta_client* client, const char* user_id,
                                              const char* product, vanta_disk_space** space,
                                              vanta_error** error);

/* ----------------------------------------------------------------------------------------
   Homepage */

/** A user's homepage: five free texts. As an argument the caller owns it and sets `size` with
   VANTA_HOMEPAGE_INIT (NULL meaning ""); as a result the library made it. */
typedef struct vanta_homepage {
    size_t size;       /**< the size of the struct as its maker filled it (see VANTA_HAS_MEMBER) */
    const char* title; /**< the page title */
    const char* heading; /**< the heading */
    const char* body;    /**< the body text */
    const char* theme;   /**< the theme's name or number */
    const char* reply;   /**< the reply text */
} vanta_homepage;
/** Sets every text of `page` to NULL (""), and its size to `size`. Any thread. */
VANTA_C_API void vanta_homepage_init(vanta_homepage* page, size_t size);
/** Empties the caller's homepage, of the size the caller knows. */
#define VANTA_HOMEPAGE_INIT(page) vanta_homepage_init((page), sizeof *(page))
/** Frees a homepage the library made (never one the caller set up). */
VANTA_C_API void vanta_homepage_free(vanta_homepage* page);

/** The user's homepage: NOT_FOUND when there is none, UNKNOWN_USER when the service refuses. */
VANTA_C_API vanta_result vanta_homepage_get(const vanta_client* client, const char* user_id,
                                            vanta_homepage** page, vanta_error** error);
/** Writes the user's homepage, or REFUSED (unknown user, missing text). */
VANTA_C_API vanta_result vanta_update_homepage(const vanta_client* client, const char* user_id,
                                               const vanta_homepage* page, vanta_error** error);
/** Removes the user's homepage, or NOT_FOUND. */
VANTA_C_API vanta_result vanta_delete_homepage(const vanta_client* client, const char* user_id,
                                               vanta_error** error);

/* ----------------------------------------------------------------------------------------
   Raw requests, versions and self-update */

/** Frees a string the library gave; NULL is accepted. */
VANTA_C_API void vanta_string_free(char* text);

/** Posts `body_size` bytes of `body` plus one line feed to the CGI program `program` (a path
   such as "/cgiscripts/get_version.exe"); *reply receives the reply's body byte for byte with
   a NUL after it (freed with vanta_string_free) and *reply_size its length (NULL: not wanted).
   NETWORK for a failed request or an error page. */
VANTA_C_API vanta_result vanta_post_request(const vanta_client* client, const char* program,
                                            const char* body, size_t body_size, char** reply,
                                            size_t* reply_size, vanta_error** error);

/** The library's update version ("3.3"), what vanta_check_version compares; static. */
VANTA_C_API const char* vanta_library_version(void);
/** The release of the loaded library, MAJOR.MINOR.PATCH; static. */
VANTA_C_API const char* vanta_release_version(void);

/** The library's update version against the one the service offers. */
typedef struct vanta_version_check {
    size_t size; /**< the size of the struct as its maker filled it (see VANTA_HAS_MEMBER) */
    const char* library; /**< the update version this library announces */
    const char* service; /**< the update version the service offers, as it sent it */
    bool up_to_date;     /**< the two are the same */
} vanta_version_check;
/** Frees the record and all it holds; NULL is accepted. */
VANTA_C_API void vanta_version_check_free(vanta_version_check* check);

/** The library's update version against the one the service offers. */
VANTA_C_API vanta_result vanta_check_version(const vanta_client* client,
                                             vanta_version_check** check, vanta_error** error);
/** Fetches the service's library file into `directory` (replacing it only when complete);
 *path receives the file's path (freed with vanta_string_free). */
VANTA_C_API vanta_result vanta_download_update(const vanta_client* client, const char* directory,
                                               char** path, vanta_error** error);

/* ----------------------------------------------------------------------------------------
   FTP files on the service host. Remote names are sent as given; one holding CR or LF is
   refused before it is sent. */

/** Stores the local file `local` as `remote_name` in `remote_dir` ("": the login directory). */
VANTA_C_API vanta_result vanta_send_file(const vanta_client* client, const char* local,
                                         const char* remote_dir, const char* remote_name,
                                         vanta_error** error);
/** Stores `count` local files, each under its own name, in `remote_dir` over one connection;
   local files that cannot be read are skipped. */
VANTA_C_API vanta_result vanta_send_files(const vanta_client* client, const char* remote_dir,
                                          const char* const* files, size_t count,
                                          vanta_error** error);
/** Whether `name` exists in the assets directory `sub_dir`: *exists. */
VANTA_C_API vanta_result vanta_file_exists(const vanta_client* client, const char* sub_dir,
                                           const char* name, bool* exists, vanta_error** error);
/** Deletes `name` in the assets directory `sub_dir`, or NOT_FOUND. */
VANTA_C_API vanta_result vanta_delete_file(const vanta_client* client, const char* sub_dir,
                                           const char* name, vanta_error** error);
/** Removes the directory `path` (a whole FTP path), or REFUSED (missing, not empty). */
VANTA_C_API vanta_result vanta_remove_directory(const vanta_client* client, const char* path,
                                                vanta_error** error);

/* ----------------------------------------------------------------------------------------
   Background jobs: an upload or a sharing job runs on a worker thread of its own; any number
   may run at once. A job handle belongs to the caller, who frees it with vanta_job_free. */

/** Where a job is. Phases only move forward. */
typedef enum vanta_job_phase {
    VANTA_PHASE_PREPARING = 0,    /**< measuring files, checking the quota, registering */
    VANTA_PHASE_TRANSFERRING = 1, /**< sending the files */
    VANTA_PHASE_NOTIFYING = 2,    /**< the files are sent; the service is told */
    VANTA_PHASE_FINISHED = 3      /**< the worker has ended */
} vanta_job_phase;

/** A job's progress. */
typedef struct vanta_progress {
    size_t size;           /**< the size of the struct as its maker filled it */
    uint64_t bytes;        /**< sent so far in the transfer phase */
    uint64_t total;        /**< bytes of all files, once measured */
    vanta_job_phase phase; /**< where the job is */
    unsigned int resumes;  /**< how often the send went on after a broken connection */
    uint64_t resumed_at;   /**< the byte of the whole where the last resume began */
} vanta_progress;

/** Receives a job's progress on the job's worker thread, at every phase change and as bytes
    are sent; `progress` lives for the call only, and the transfer waits for the callback. It
    may call the job's functions, which return at once there (vanta_job_wait gives false,
    vanta_job_outcome INVALID_ARGUMENT, vanta_job_free cancels the job and leaves it to end on
    its own), and any other function of this interface, on any client. */
typedef void (*vanta_progress_callback)(const vanta_progress* progress, void* user_data);

/** How a job reports. The caller owns it and sets it up with VANTA_JOB_OPTIONS_INIT. */
typedef struct vanta_job_options {
    size_t size;                         /**< sizeof(vanta_job_options) as the caller knows it */
    vanta_progress_callback on_progress; /**< NULL: no progress calls */
    /** Handed to on_progress as it is; used until the job has ended (vanta_job_wait gave
        true) or its handle was freed. */
    void* user_data;
    int64_t progress_interval_ms; /**< while sending, at most one call per this many ms */
    uint64_t progress_bytes;      /**< while sending, at most one call per this many bytes */
    /** The job's status notifications, on the job's worker thread; NULL: the client's
        on_status, if any. Like on_progress, it stops being called once the job has ended or
        its handle was freed. */
    vanta_status_callback on_status;
    void* status_user_data; /**< handed to on_status as it is */
} vanta_job_options;
/** Sets `options` to no callback and no limits, and its size to `size`. Any thread. */
VANTA_C_API void vanta_job_options_init(vanta_job_options* options, size_t size);
/** Sets up the caller's job options, of the size the caller knows. */
#define VANTA_JOB_OPTIONS_INIT(options) vanta_job_options_init((options), sizeof *(options))

/** One person an upload's page address is mailed to. */
typedef struct vanta_recipient {
    size_t size;       /**< sizeof(vanta_recipient) as the caller knows it */
    const char* email; /**< mail address */
    const char* name;  /**< the person's name, or NULL */
    bool may_download; /**< false: view online only */
} vanta_recipient;

/** What an upload takes. The caller owns it and sets it up with VANTA_UPLOAD_REQUEST_INIT;
    everything it points to is borrowed for the call that starts the job. */
typedef struct vanta_upload_request {
    size_t size;              /**< sizeof(vanta_upload_request) as the caller knows it */
    const char* user_id;      /**< the owner */
    unsigned int product;     /**< the product it belongs to */
    const char* name;         /**< the asset's name */
    const char* description;  /**< free text, or NULL */
    unsigned int asset_type;  /**< the asset type */
    const char* const* files; /**< local files, sent in this order */
    size_t file_count;        /**< how many names files holds */
    const vanta_recipient* const* recipients; /**< who is mailed the page address */
    size_t recipient_count;                   /**< how many recipients there are */
} vanta_upload_request;
/** Empties `request` and sets its size to `size`. Any thread. */
VANTA_C_API void vanta_upload_request_init(vanta_upload_request* request, size_t size);
/** Sets up the caller's upload request, of the size the caller knows. */
#define VANTA_UPLOAD_REQUEST_INIT(request) vanta_upload_request_init((request), sizeof *(request))

/** What a sharing job takes, set up like vanta_upload_request. */
typedef struct vanta_share_request {
    size_t size;                   /**< sizeof(vanta_share_request) as the caller knows it */
    const char* sender;            /**< the sender's mail address */
    const char* const* recipients; /**< mail addresses */
    size_t recipient_count;        /**< how many recipients there are */
    const char* subject;           /**< the mail's subject */
    const char* message;           /**< the mail's text, lines separated by LF */
    const char* sender_name;       /**< the sender's name as the mail shows it, or NULL */
    const char* const* files;      /**< local files to attach */
    size_t file_count;             /**< how many names files holds */
} vanta_share_request;
/** Empties `request` and sets its size to `size`. Any thread. */
VANTA_C_API void vanta_share_request_init(vanta_share_request* request, size_t size);
/** Sets up the caller's share request, of the size the caller knows. */
#define VANTA_SHARE_REQUEST_INIT(request) vanta_share_request_init((request), sizeof *(request))

/** What a finished upload gives. */
typedef struct vanta_upload_outcome {
    size_t size;              /**< the size of the struct as its maker filled it */
    const char* asset_number; /**< the new asset's number */
    const char* password;     /**< the password of its page */
    const char* page_address; /**< the address of its page */
} vanta_upload_outcome;
/** Frees the record and all it holds; NULL is accepted. */
VANTA_C_API void vanta_upload_outcome_free(vanta_upload_outcome* outcome);

/** A running or finished job. Opaque. */
typedef struct vanta_job vanta_job;

/** Starts an upload: measure the files, check the quota, register the asset, send the files,
    have the service mail the recipients; *job receives its handle. How it ends is the job's
    outcome: LOCAL_FILE, NO_SPACE, REFUSED, NETWORK, CANCELLED. A job that fails or is
    cancelled takes back its asset. `options` may be NULL. Any thread. */
VANTA_C_API vanta_result vanta_upload(const vanta_client* client,
                                      const vanta_upload_request* request,
                                      const vanta_job_options* options, vanta_job** job,
                                      vanta_error** error);
/** Starts a sharing job: ask the service for a session, send the files, have the service
    mail them. Outcomes: INVALID_ARGUMENT (no sender, an unusable address), LOCAL_FILE,
    REFUSED, NETWORK, CANCELLED; a job that fails removes what it sent. Any thread. */
VANTA_C_API vanta_result vanta_share_by_email(const vanta_client* client,
                                              const vanta_share_request* request,
                                              const vanta_job_options* options, vanta_job** job,
                                              vanta_error** error);
/** The job's progress as of now, into the caller's `progress` as far as its `size` (set by
    the caller) reaches. Any thread, also the job's callback. */
VANTA_C_API void vanta_job_progress(const vanta_job* job, vanta_progress* progress);
/** Asks the job to stop and returns at once; a job past its transfer finishes normally. Any
    thread, also the job's callback. */
VANTA_C_API void vanta_job_cancel(vanta_job* job);
/** True when the job has finished within `timeout_ms` (0: just look). In the job's own
    callback: false at once. Any thread. */
VANTA_C_API bool vanta_job_wait(vanta_job* job, int64_t timeout_ms);
/** Waits for the end (bounded: every network wait of the job is) and gives the outcome; for
    an upload, *outcome receives its record (NULL: not wanted; a sharing job gives none). In
    the job's own callback: INVALID_ARGUMENT at once. Any thread. */
VANTA_C_API vanta_result vanta_job_outcome(vanta_job* job, vanta_upload_outcome** outcome,
                                           vanta_error** error);
/** Frees the handle: a job that still runs is cancelled and its worker waited for; from the
    job's own callback, cancelled and left to end on its own. NULL is accepted. Not while
    another call uses the same handle. */
VANTA_C_API void vanta_job_free(vanta_job* job);

#ifdef __cplusplus
}
#endif

#endif
