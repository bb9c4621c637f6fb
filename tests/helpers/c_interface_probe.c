/* The C interface from a C99 program, against the reference service on 127.0.0.1: each row
   makes calls and shows their outcome as text, compared with what the row expects. c_interface
   test runs it after scripting the asset replies below; argv[1] is a directory holding
   note.txt. Prints one line per row that differs and exits 1 when any did. */
#define _POSIX_C_SOURCE 200809L /* pthread */

#include "vanta/vanta.h"

#include <pthread.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

#define SHOWN_SIZE 512

static vanta_client* c;      /* the service */
static vanta_client* closed; /* a port nobody listens on */
static const char* note;     /* a local file */

/* A failure as "category|code", marked when it has no reason or gave no error object. */
static void show_error(vanta_result r, vanta_error* e, char* out) {
    if (e == NULL || vanta_error_category(e) != r) {
        sprintf(out, "%s no error object", vanta_result_name(r));
    } else {
        sprintf(out, "%s|%u%s", vanta_result_name(r), vanta_error_code(e),
                vanta_error_reason(e)[0] == '\0' ? " unexplained" : "");
    }
    vanta_error_free(e);
}

#define FAILED(call)                                                                               \
    do {                                                                                           \
        vanta_error* e = NULL;                                                                     \
        const vanta_result r = (call);                                                             \
        if (r != VANTA_OK) {                                                                       \
            show_error(r, e, out);                                                                 \
            return;                                                                                \
        }                                                                                          \
        strcpy(out, "ok");                                                                         \
    } while (0)

static void register_ann(char* out) {
    vanta_user_details d;
    vanta_registration* reg = NULL;
    VANTA_USER_DETAILS_INIT(&d);
    d.first_name = "Ann";
    d.code = "C1";
    FAILED(vanta_register_user(c, "ann", "pw", "7", &d, &reg, &e));
    sprintf(out, "%d|%s", (int)reg->kind, reg->user_id);
    vanta_registration_free(reg);
}

static void register_wrong_password(char* out) {
    FAILED(vanta_register_user(c, "ann", "x", "7", NULL, NULL, &e));
}

static void validate(char* out, const vanta_client* client, const char* user, const char* pw) {
    vanta_login* login = NULL;
    FAILED(vanta_validate_user(client, user, pw, "7", &login, &e));
    sprintf(out, "%d|%d", login->has_published, login->has_homepage);
    vanta_login_free(login);
}
static void validate_ann(char* out) {
    validate(out, c, "ann", "pw");
}
static void validate_wrong_password(char* out) {
    validate(out, c, "ann", "x");
}
static void validate_unknown(char* out) {
    validate(out, c, "nobody", "pw");
}
static void validate_null_password(char* out) {
    validate(out, c, "ann", NULL);
}
static void validate_unreachable(char* out) {
    validate(out, closed, "ann", "pw");
}

/* A failure without an error object still gives its category. */
static void validate_without_error_object(char* out) {
    strcpy(out, vanta_result_name(vanta_validate_user(c, "nobody", "pw", "7", NULL, NULL)));
}

static void user_ann(char* out) {
    vanta_user* u = NULL;
    FAILED(vanta_user_info(c, "ann", &u, &e));
    sprintf(out, "%s|%s|%s|%s|%lld", u->user_id, u->details->first_name, u->details->city,
            u->details->code, (long long)u->product_count);
    vanta_user_free(u);
}

static void update_ann(char* out) {
    vanta_user_details d;
    VANTA_USER_DETAILS_INIT(&d);
    d.first_name = "Anne";
    d.city = "Lyon";
    d.code = "C2";
    FAILED(vanta_update_user(c, "ann", "pw", &d, &e));
}

/* A caller built when the details ended after first_name: the rest is not read. */
static void update_ann_older_caller(char* out) {
    vanta_user_details d;
    vanta_user_details_init(&d, offsetof(vanta_user_details, last_name));
    d.first_name = "Old";
    d.city = "never read";
    FAILED(vanta_update_user(c, "ann", "pw", &d, &e));
}

static void homepage_ann(char* out) {
    vanta_homepage* h = NULL;
    FAILED(vanta_homepage_get(c, "ann", &h, &e));
    sprintf(out, "%s|%s|%s|%s|%s", h->title, h->heading, h->body, h->theme, h->reply);
    vanta_homepage_free(h);
}

static void write_homepage(char* out) {
    vanta_homepage h;
    VANTA_HOMEPAGE_INIT(&h);
    h.title = "T";
    h.heading = "H";
    h.body = "B = c + 1%";
    h.theme = "3";
    h.reply = "R";
    FAILED(vanta_update_homepage(c, "ann", &h, &e));
}

static void delete_homepage(char* out) {
    FAILED(vanta_delete_homepage(c, "ann", &e));
}

static void asset_list(char* out) {
    vanta_asset_list* list = NULL;
    size_t i, n;
    FAILED(vanta_asset_list_get(c, "U", "7", &list, &e));
    out[0] = '\0';
    for (i = 0; i < list->count; ++i) {
        const vanta_asset* a = list->items[i];
        sprintf(out + strlen(out), "%s|%s|%lld|%s|%lld|%lld|", a->asset_number, a->name,
                (long long)a->declared_size, a->password, (long long)a->created,
                (long long)a->page_views);
        for (n = 0; n < a->file_name_count; ++n) {
            sprintf(out + strlen(out), "%s,", a->file_names[n]);
        }
        strcat(out, ";");
    }
    vanta_asset_list_free(list);
}

static void asset_stats(char* out) {
    vanta_asset_stats* stats = NULL;
    size_t i;
    FAILED(vanta_asset_stats_get(c, "U", "12", &stats, &e));
    out[0] = '\0';
    for (i = 0; i < stats->count; ++i) {
        sprintf(out + strlen(out), "%lld|%lld;", (long long)stats->items[i]->day,
                (long long)stats->items[i]->page_views);
    }
    vanta_asset_stats_free(stats);
}

static void disk_space(char* out) {
    vanta_disk_space* d = NULL;
    FAILED(vanta_disk_space_get(c, "U", "7", &d, &e));
    sprintf(out, "%llu|%llu", (unsigned long long)d->quota, (unsigned long long)d->used);
    vanta_disk_space_free(d);
}

static void asset_unknown(char* out) {
    FAILED(vanta_asset_info(c, "U", "999", NULL, &e));
}

static void version(char* out) {
    vanta_version_check* v = NULL;
    FAILED(vanta_check_version(c, &v, &e));
    sprintf(out, "%d|%d", v->up_to_date, strcmp(v->library, vanta_library_version()) == 0);
    vanta_version_check_free(v);
}

/* The reply byte for byte, its length given. */
static void raw_request(char* out) {
    char* reply = NULL;
    size_t size = 0;
    FAILED(vanta_post_request(c, "/cgiscripts/x.exe", "a=1", 3, &reply, &size, &e));
    sprintf(out, "%s|%lu", reply, (unsigned long)size);
    vanta_string_free(reply);
}

static void send_note(char* out) {
    FAILED(vanta_send_file(c, note, "/assets/box", "n.txt", &e));
}

static void send_with_null_name(char* out) {
    const char* files[2];
    files[0] = note;
    files[1] = NULL;
    FAILED(vanta_send_files(c, "/assets/box", files, 2, &e));
}

static void note_exists(char* out) {
    bool exists = true;
    FAILED(vanta_file_exists(c, "box", "n.txt", &exists, &e));
    strcpy(out, exists ? "1" : "0");
}

static void delete_note(char* out) {
    FAILED(vanta_delete_file(c, "box", "n.txt", &e));
}
static void remove_box(char* out) {
    FAILED(vanta_remove_directory(c, "/assets/box", &e));
}
static void delete_ann(char* out) {
    FAILED(vanta_delete_user(c, "ann", &e));
}

/* What a job's progress calls saw: how many, and the last phase. */
struct seen {
    int calls;
    vanta_job_phase last;
};

static void on_progress(const vanta_progress* progress, void* user_data) {
    struct seen* seen = (struct seen*)user_data;
    ++seen->calls;
    seen->last = progress->phase;
}

/* An upload of `file`: whether it ended within 30 s, the progress calls seen, its outcome. */
static void upload(char* out, const char* user, const char* file) {
    vanta_upload_request request;
    vanta_job_options options;
    vanta_job* job = NULL;
    vanta_upload_outcome* outcome = NULL;
    struct seen seen = {0, VANTA_PHASE_PREPARING};
    vanta_error* e = NULL;
    vanta_result result;
    bool ended;
    char* end;
    VANTA_UPLOAD_REQUEST_INIT(&request);
    VANTA_JOB_OPTIONS_INIT(&options);
    request.user_id = user;
    request.product = 7;
    request.name = "Note";
    request.files = &file;
    request.file_count = 1;
    options.on_progress = on_progress;
    options.user_data = &seen;
    FAILED(vanta_upload(c, &request, &options, &job, &e));
    ended = vanta_job_wait(job, 30000);
    sprintf(out, "%d|%d|", ended, seen.calls > 0 ? (int)seen.last : -1);
    end = out + strlen(out);
    result = vanta_job_outcome(job, &outcome, &e);
    vanta_job_free(job);
    if (result != VANTA_OK) {
        show_error(result, e, end);
        return;
    }
    strcpy(end, outcome->asset_number[0] != '\0' ? "numbered" : "no number");
    vanta_upload_outcome_free(outcome);
}
static void upload_note(char* out) {
    upload(out, "ann", note);
}
static void upload_missing(char* out) {
    upload(out, "ann", "/nonexistent/file");
}
static void upload_without_user(char* out) {
    upload(out, NULL, note);
}

/* A share without a sender fails in its outcome. */
static void share_without_sender(char* out) {
    vanta_share_request request;
    vanta_job* job = NULL;
    VANTA_SHARE_REQUEST_INIT(&request);
    request.files = &note;
    request.file_count = 1;
    FAILED(vanta_share_by_email(c, &request, NULL, &job, &e));
    if (vanta_job_wait(job, 30000)) {
        vanta_error* e = NULL;
        const vanta_result result = vanta_job_outcome(job, NULL, &e);
        show_error(result, e, out);
    }
    vanta_job_free(job);
}

/* What callbacks that call back into the library saw. The job's handle reaches its own
   callbacks through `lock`: they run on the job's worker, which may start before
   vanta_upload has returned. */
struct calling_back {
    pthread_mutex_t lock;
    vanta_job* job;
    const vanta_client* client; /* the client whose operation is running */
    vanta_job_phase when;       /* the phase in which a job's callback calls back */
    int* client_statuses;       /* the client's own status callback counts here */
    int nested_statuses;        /* of which the nested call gave */
    int calls;                  /* status notifications seen */
    char statuses[64];          /* the status numbers seen, in order */
    int nested;                 /* a nested call is running: its own calls are only counted */
    int done;                   /* the calls back were made */
    vanta_job_phase phase;      /* vanta_job_progress inside the callback */
    vanta_result exists;        /* vanta_file_exists on the same client, inside */
    bool found;                 /* what it found */
    bool waited;                /* vanta_job_wait for 10 s, inside */
    vanta_result outcome;       /* vanta_job_outcome, inside */
    double seconds;             /* how long those two took */
};

static vanta_job* own_job(struct calling_back* cb) {
    vanta_job* job;
    pthread_mutex_lock(&cb->lock);
    job = cb->job;
    pthread_mutex_unlock(&cb->lock);
    return job;
}

/* Once the job is in the phase wanted: its own functions, a look-up on the same client,
   then cancel. */
static void call_back_from_job(struct calling_back* cb) {
    vanta_job* job = own_job(cb);
    vanta_progress now;
    bool exists;
    time_t start;
    int before;
    now.size = sizeof now;
    vanta_job_progress(job, &now);
    if (cb->done || now.phase != cb->when) {
        return;
    }
    cb->done = 1;
    cb->phase = now.phase;
    before = *cb->client_statuses;
    cb->exists = vanta_file_exists(cb->client, "box", "n.txt", &exists, NULL);
    cb->nested_statuses = *cb->client_statuses - before;
    start = time(NULL);
    cb->waited = vanta_job_wait(job, 10000);
    cb->outcome = vanta_job_outcome(job, NULL, NULL);
    cb->seconds = difftime(time(NULL), start);
    vanta_job_cancel(job);
}

static void progress_calling_back(const vanta_progress* progress, void* user_data) {
    (void)progress;
    call_back_from_job((struct calling_back*)user_data);
}

static void status_calling_back(unsigned int status, const void* info, size_t info_size,
                                void* user_data) {
    (void)status, (void)info, (void)info_size;
    call_back_from_job((struct calling_back*)user_data);
}

static void count_status(unsigned int status, const void* info, size_t info_size, void* user_data) {
    (void)status, (void)info, (void)info_size;
    ++*(int*)user_data;
}

/* An upload whose callback (progress once sending, or the job's status while preparing)
   calls back into the library and cancels the job: what the calls gave, whether the job's
   work reached the client's status callback (the job's own replaces it), the outcome. */
static void upload_calling_back(char* out, int from_status) {
    vanta_config config;
    vanta_client* client = NULL;
    vanta_upload_request request;
    vanta_job_options options;
    vanta_job* job;
    vanta_error* e = NULL;
    vanta_result started, result;
    int client_statuses = 0;
    struct calling_back cb;
    memset(&cb, 0, sizeof cb);
    pthread_mutex_init(&cb.lock, NULL);
    VANTA_CONFIG_INIT(&config);
    config.host = "127.0.0.1";
    config.on_status = count_status;
    config.status_user_data = &client_statuses;
    VANTA_UPLOAD_REQUEST_INIT(&request);
    VANTA_JOB_OPTIONS_INIT(&options);
    request.user_id = "ann";
    request.product = 7;
    request.name = "Called back";
    request.files = &note;
    request.file_count = 1;
    cb.client_statuses = &client_statuses;
    cb.when = from_status ? VANTA_PHASE_PREPARING : VANTA_PHASE_TRANSFERRING;
    if (from_status) {
        options.on_status = status_calling_back;
        options.status_user_data = &cb;
    } else {
        options.on_progress = progress_calling_back;
        options.user_data = &cb;
    }
    if (vanta_client_new(&config, &client, NULL) != VANTA_OK) {
        strcpy(out, "no client");
        return;
    }
    cb.client = client;
    pthread_mutex_lock(&cb.lock);
    started = vanta_upload(client, &request, &options, &job, &e);
    cb.job = started == VANTA_OK ? job : NULL;
    pthread_mutex_unlock(&cb.lock);
    if (started != VANTA_OK) {
        show_error(started, e, out);
    } else if (!vanta_job_wait(job, 30000)) {
        strcpy(out, "still running");
    } else {
        sprintf(out, "%d|%s|%d|%s|%s|%s|", (int)cb.phase, vanta_result_name(cb.exists), cb.waited,
                vanta_result_name(cb.outcome), cb.seconds < 3 ? "prompt" : "slow",
                client_statuses > cb.nested_statuses ? "client notified" : "client silent");
        result = vanta_job_outcome(job, NULL, &e);
        show_error(result, e, out + strlen(out));
    }
    if (started == VANTA_OK) {
        vanta_job_free(job);
    }
    vanta_client_free(client);
    pthread_mutex_destroy(&cb.lock);
}
static void upload_progress_calls_back(char* out) {
    upload_calling_back(out, 0);
}
static void upload_status_calls_back(char* out) {
    upload_calling_back(out, 1);
}

/* The client's status callback as the reply arrives: a look-up on the same client, whose
   own notifications come to the same callback. */
static void on_status_nested(unsigned int status, const void* info, size_t info_size,
                             void* user_data) {
    struct calling_back* cb = (struct calling_back*)user_data;
    (void)info, (void)info_size;
    if (cb->calls++ < 12 && !cb->nested) {
        sprintf(cb->statuses + strlen(cb->statuses), "%u ", status);
    }
    if (cb->nested || cb->done || status != VANTA_STATUS_RESPONSE_RECEIVED) {
        return;
    }
    cb->nested = cb->done = 1;
    cb->exists = vanta_file_exists(cb->client, "box", "n.txt", &cb->found, NULL);
    cb->nested = 0;
}

/* A request on a client with a status callback: the statuses in order, or with a callback
   that calls back, what the nested call gave and whether it was notified too. */
static void status_of_request(char* out, int nested) {
    vanta_config config;
    vanta_client* client = NULL;
    struct calling_back cb;
    char* end;
    memset(&cb, 0, sizeof cb);
    VANTA_CONFIG_INIT(&config);
    config.host = "127.0.0.1";
    config.on_status = on_status_nested;
    config.status_user_data = &cb;
    cb.done = !nested;
    if (vanta_client_new(&config, &client, NULL) != VANTA_OK) {
        strcpy(out, "no client");
        return;
    }
    cb.client = client;
    validate(out, client, "ann", "pw");
    end = out + strlen(out);
    if (nested) {
        sprintf(end, "|%s|%d|%s", vanta_result_name(cb.exists), cb.found,
                cb.calls > 12 ? "nested notified" : "nested silent");
    } else {
        sprintf(end, "|%s", cb.statuses);
    }
    vanta_client_free(client);
}
static void status_notifications(char* out) {
    status_of_request(out, 0);
}
static void status_calls_back(char* out) {
    status_of_request(out, 1);
}

/* What a trace handler saw. */
struct traced {
    int request_line; /* the request line of the validation */
    int masked;       /* the credentials line, masked */
    int removed;      /* the handler removed itself */
    int after;        /* lines it received after that */
    int waits[4];     /* the waits the retries announced */
    int retries;
};

static void on_trace(const char* line, void* user_data) {
    struct traced* seen = (struct traced*)user_data;
    const char* after = strstr(line, " after ");
    if (seen->removed) {
        ++seen->after;
        return;
    }
    seen->request_line |= strcmp(line, "> POST /cgiscripts/validate_user.exe HTTP/1.1") == 0;
    if (strncmp(line, "* retrying ", 11) == 0 && after != NULL && seen->retries < 4) {
        seen->waits[seen->retries++] = atoi(after + 7);
    }
    if (strncmp(line, "> Authorization: ", 17) == 0) {
        /* Removing the handler from inside it returns at once: no more lines. */
        seen->masked = strcmp(line, "> Authorization: ****") == 0;
        seen->removed = 1;
        vanta_set_trace_handler(NULL, NULL);
    }
}

/* A validation under a trace handler that removes itself at the credentials, then another
   one that the removed handler must not see. */
static void trace_validation(char* out) {
    struct traced seen;
    memset(&seen, 0, sizeof seen);
    vanta_set_trace_handler(on_trace, &seen);
    validate(out, c, "ann", "pw");
    validate(out, c, "ann", "pw");
    sprintf(out + strlen(out), "|%d|%d|%d|%d", seen.request_line, seen.masked, seen.removed,
            seen.after);
}

/* A trace handler that dwells in its first line, on another thread than the one that
   removes it. */
struct dwelling {
    pthread_mutex_t lock;
    pthread_cond_t entered_cond;
    int entered; /* the first line arrived */
    int left;    /* its call returned */
    int removed; /* the handler was removed */
    int after;   /* lines that arrived after that */
};

static void on_trace_dwelling(const char* line, void* user_data) {
    struct dwelling* d = (struct dwelling*)user_data;
    struct timespec pause = {0, 200000000};
    int first;
    (void)line;
    pthread_mutex_lock(&d->lock);
    d->after += d->removed;
    first = !d->entered;
    d->entered = 1;
    pthread_cond_signal(&d->entered_cond);
    pthread_mutex_unlock(&d->lock);
    if (first) {
        nanosleep(&pause, NULL);
        pthread_mutex_lock(&d->lock);
        d->left = 1;
        pthread_mutex_unlock(&d->lock);
    }
}

static void* validate_on_thread(void* out) {
    validate((char*)out, c, "ann", "pw");
    return NULL;
}

/* The handler is removed while it runs on another thread: the removal returns once that call
   has, and no line comes after it. */
static void trace_removed_while_running(char* out) {
    struct dwelling d;
    pthread_t thread;
    char validated[SHOWN_SIZE];
    int left;
    memset(&d, 0, sizeof d);
    pthread_mutex_init(&d.lock, NULL);
    pthread_cond_init(&d.entered_cond, NULL);
    vanta_set_trace_handler(on_trace_dwelling, &d);
    pthread_create(&thread, NULL, validate_on_thread, validated);
    pthread_mutex_lock(&d.lock);
    while (!d.entered) {
        pthread_cond_wait(&d.entered_cond, &d.lock);
    }
    pthread_mutex_unlock(&d.lock);
    vanta_set_trace_handler(NULL, NULL);
    pthread_mutex_lock(&d.lock);
    left = d.left;
    d.removed = 1;
    pthread_mutex_unlock(&d.lock);
    pthread_join(thread, NULL);
    sprintf(out, "%s|%d|%d", validated, left, d.after);
    pthread_cond_destroy(&d.entered_cond);
    pthread_mutex_destroy(&d.lock);
}

/* A validation on the closed port with the back-off given, by a caller that knows `size`
   bytes of vanta_config: the members beyond hold what the library must not read (an
   unusable back-off, a status callback). The outcome, the waits the trace announced, and
   the status calls. */
static void retries_with(char* out, size_t size, int64_t initial, int64_t max, double jitter) {
    vanta_config config;
    vanta_client* client = NULL;
    struct traced seen;
    int statuses = 0, i;
    memset(&seen, 0, sizeof seen);
    memset(&config, 0, sizeof config);
    vanta_config_init(&config, size);
    config.host = "127.0.0.1";
    config.http_port = 81;
    config.retries = 2;
    config.initial_backoff_ms = initial;
    config.max_backoff_ms = max;
    config.jitter = jitter;
    config.on_status = count_status;
    config.status_user_data = &statuses;
    if (vanta_client_new(&config, &client, NULL) != VANTA_OK) {
        strcpy(out, "no client");
        return;
    }
    vanta_set_trace_handler(on_trace, &seen);
    validate(out, client, "ann", "pw");
    vanta_set_trace_handler(NULL, NULL);
    vanta_client_free(client);
    for (i = 0; i < seen.retries; ++i) {
        sprintf(out + strlen(out), "|%d", seen.waits[i]);
    }
    sprintf(out + strlen(out), "|%s", statuses > 0 ? "notified" : "silent");
}
static void retries_with_backoff(char* out) {
    retries_with(out, sizeof(vanta_config), 40, 60, 0);
}
static void retries_with_bad_jitter(char* out) {
    retries_with(out, sizeof(vanta_config), 40, 60, 1.5);
}
/* A caller built before the back-off settings: the defaults, 250 ms then 500 ms, each
   shortened by up to a fifth. */
static void retries_older_caller(char* out) {
    char waits[SHOWN_SIZE];
    int first = 0, second = 0;
    retries_with(waits, offsetof(vanta_config, initial_backoff_ms), -1, -5, 7);
    if (sscanf(waits, "network|32|%d|%d|", &first, &second) == 2 && first >= 200 && first <= 250 &&
        second >= 400 && second <= 500) {
        strcpy(out, "network|32|defaults");
    } else {
        strcpy(out, waits);
    }
    strcat(out, strstr(waits, "|silent") != NULL ? "|silent" : "|notified");
}

/* A host that cannot be one makes no client. */
static void client_bad_host(char* out) {
    vanta_config config;
    vanta_client* made = NULL;
    VANTA_CONFIG_INIT(&config);
    config.host = "127.0.0.1:80";
    FAILED(vanta_client_new(&config, &made, &e));
    vanta_client_free(made);
}

/* No connection at all for the files: every call of the client is refused as it starts. */
static void client_without_transfers(char* out) {
    vanta_config config;
    vanta_client* made = NULL;
    VANTA_CONFIG_INIT(&config);
    config.host = "127.0.0.1";
    config.parallel_transfers = 0;
    FAILED(vanta_client_new(&config, &made, &e));
    validate(out, made, "ann", "pw");
    vanta_client_free(made);
}

/* The driver sets VANTA_HTTP_PORT to what is no port: no client is made from that. */
static void client_from_environment(char* out) {
    vanta_client* made = NULL;
    FAILED(vanta_client_new_from_environment(&made, &e));
    validate(out, made, "nobody", "pw");
    vanta_client_free(made);
}

static void names(char* out) {
    sprintf(out, "%s|%s|%s", vanta_result_name(VANTA_OK), vanta_result_name(VANTA_ERROR_NO_SPACE),
            vanta_result_name((vanta_result)99));
}

static const struct row {
    void (*call)(char* out);
    const char* expected;
} rows[] = {
    {names, "ok|no_space|unknown"},
    {client_bad_host, "invalid_argument|0"},
    {register_ann, "0|ann"},
    {register_ann, "2|ann"},
    {register_wrong_password, "wrong_password|8192"},
    {validate_ann, "0|0"},
    {validate_wrong_password, "wrong_password|8192"},
    {validate_unknown, "unknown_user|256"},
    {validate_without_error_object, "unknown_user"},
    {validate_null_password, "invalid_argument|0"},
    {validate_unreachable, "network|32"},
    {client_without_transfers, "invalid_argument|0"},
    {client_from_environment, "invalid_argument|0"},
    {user_ann, "ann|Ann||C1|1"},
    {update_ann, "ok"},
    {user_ann, "ann|Anne|Lyon|C2|1"},
    {update_ann_older_caller, "ok"},
    {user_ann, "ann|Old|||1"},
    {homepage_ann, "not_found|0"},
    {write_homepage, "ok"},
    {homepage_ann, "T|H|B = c + 1%|3|R"},
    {validate_ann, "0|1"},
    {delete_homepage, "ok"},
    {delete_homepage, "not_found|0"},
    /* Scripted: two assets (the second created on day 0 of the service's calendar), two days
       of statistics, a quota beyond 32 bits. */
    {asset_list, "12|Trip|5000000000|PW|1796558400|-1|a.jpg,b.jpg,;13|Solo|1|PW2|-2209161600|0|"
                 "c.txt,;"},
    {asset_stats, "1796515200|3;1796601600|1;"},
    {disk_space, "8589934592|10"},
    {asset_unknown, "not_found|256"},
    {version, "1|1"},
    {raw_request, "late=1|6"},
    {send_note, "ok"},
    {note_exists, "1"},
    {send_with_null_name, "invalid_argument|0"},
    {delete_note, "ok"},
    {note_exists, "0"},
    {delete_note, "not_found|1024"},
    {remove_box, "ok"},
    {remove_box, "refused|16"},
    {upload_note, "1|3|numbered"},
    {upload_missing, "1|3|local_file|8"},
    {upload_without_user, "invalid_argument|0"},
    {share_without_sender, "invalid_argument|0"},
    /* Callbacks that call back: the job's own functions answer at once inside them. */
    {upload_progress_calls_back, "1|ok|0|invalid_argument|prompt|client notified|cancelled|16384"},
    {upload_status_calls_back, "0|ok|0|invalid_argument|prompt|client silent|cancelled|16384"},
    {status_notifications, "1|0|60 10 11 20 21 30 31 40 41 50 51 70 "},
    {status_calls_back, "1|0|ok|0|nested notified"},
    /* The request line, the credentials masked, the handler removed from inside itself and
       called no more. */
    {trace_validation, "1|0|1|1|1|0"},
    {trace_removed_while_running, "1|0|1|0"},
    {retries_with_backoff, "network|32|40|60|notified"},
    {retries_with_bad_jitter, "invalid_argument|0|silent"},
    {retries_older_caller, "network|32|defaults|silent"},
    {delete_ann, "ok"},
    {delete_ann, "unknown_user|256"},
};

int main(int argc, char** argv) {
    char path[1024];
    char out[SHOWN_SIZE];
    vanta_config config;
    size_t i, failed = 0;
    if (argc != 2 || strlen(argv[1]) > 1000) {
        fprintf(stderr, "usage: c_interface_probe DIRECTORY\n");
        return 2;
    }
    sprintf(path, "%s/note.txt", argv[1]);
    note = path;
    VANTA_CONFIG_INIT(&config);
    config.host = "127.0.0.1";
    config.ftp_timeout_ms = 3000;
    if (vanta_client_new(&config, &c, NULL) != VANTA_OK) {
        return 2;
    }
    config.http_port = 81;
    config.retries = 0;
    if (vanta_client_new(&config, &closed, NULL) != VANTA_OK) {
        return 2;
    }
    for (i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
        out[0] = '\0';
        rows[i].call(out);
        if (strcmp(out, rows[i].expected) != 0) {
            printf("row %lu: \"%s\", expected \"%s\"\n", (unsigned long)i, out, rows[i].expected);
            ++failed;
        }
    }
    printf("%lu rows, %lu differ\n", (unsigned long)i, (unsigned long)failed);
    vanta_client_free(closed);
    vanta_client_free(c);
    return failed == 0 ? 0 : 1;
}
