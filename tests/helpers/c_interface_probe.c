/* The C interface from a C99 program, against the reference service on 127.0.0.1: each row
   makes calls and shows their outcome as text, compared with what the row expects. c_interface
   test runs it after scripting the asset replies below; argv[1] is a directory holding
   note.txt. Prints one line per row that differs and exits 1 when any did. */
#include "vanta/vanta.h"

#include <stdio.h>
#include <string.h>

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

/* A host that cannot be one makes no client. */
static void client_bad_host(char* out) {
    vanta_config config;
    vanta_client* made = NULL;
    VANTA_CONFIG_INIT(&config);
    config.host = "127.0.0.1:80";
    FAILED(vanta_client_new(&config, &made, &e));
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
