// Raw requests, versions, the self-update and the FTP files through the C interface.
#include "capi/c_records.h"

#include <filesystem>
#include <vector>

using namespace vanta::capi;

extern "C" {

vanta_result vanta_post_request(const vanta_client* client, const char* program, const char* body,
                                size_t body_size, char** reply, size_t* reply_size,
                                vanta_error** error) {
    return Guarded(error, [&] {
        // An empty body may come without a buffer.
        const void* buffer = body_size == 0 ? "" : body;
        if (const auto r = RequireTexts("posting a request", {client, program, buffer}, error)) {
            return r;
        }
        auto answer = client->client.post_request(
            program, std::string_view(body == nullptr ? "" : body, body_size));
        if (answer && reply_size != nullptr) {
            *reply_size = answer->size();
        }
        return Deliver(std::move(answer), reply, error,
                       [](const std::string& text) { return Duplicate(text); });
    });
}

const char* vanta_library_version(void) {
    // Computed once: the text is the same for the library's lifetime.
    static const std::string version = vanta::Client::library_version();
    return version.c_str();
}

const char* vanta_release_version(void) {
    static const std::string version = vanta::Client::release_version();
    return version.c_str();
}

vanta_result vanta_check_version(const vanta_client* client, vanta_version_check** check,
                                 vanta_error** error) {
    return Guarded(error, [&] {
        if (const auto r = RequireTexts("checking the version", {client}, error)) {
            return r;
        }
        return Deliver(client->client.check_version(), check, error, MakeVersionCheck);
    });
}

vanta_result vanta_download_update(const vanta_client* client, const char* directory, char** path,
                                   vanta_error** error) {
    return Guarded(error, [&] {
        if (const auto r = RequireTexts("downloading the update", {client, directory}, error)) {
            return r;
        }
        return Deliver(client->client.download_update(directory), path, error,
                       [](const std::filesystem::path& p) { return Duplicate(p.string()); });
    });
}

vanta_result vanta_send_file(const vanta_client* client, const char* local, const char* remote_dir,
                             const char* remote_name, vanta_error** error) {
    return Guarded(error, [&] {
        if (const auto r =
                RequireTexts("sending a file", {client, local, remote_dir, remote_name}, error)) {
            return r;
        }
        return Deliver(client->client.send_file(local, remote_dir, remote_name), error);
    });
}

vanta_result vanta_send_files(const vanta_client* client, const char* remote_dir,
                              const char* const* files, size_t count, vanta_error** error) {
    return Guarded(error, [&] {
        const void* list = count == 0 ? "" : static_cast<const void*>(files);
        if (const auto r = RequireTexts("sending files", {client, remote_dir, list}, error)) {
            return r;
        }
        std::vector<std::filesystem::path> paths;
        for (size_t i = 0; i < count; ++i) {
            if (files[i] == nullptr) {
                return InvalidArgument("sending files: a file name is NULL", error);
            }
            paths.emplace_back(files[i]);
        }
        return Deliver(client->client.send_files(remote_dir, paths), error);
    });
}

vanta_result vanta_file_exists(const vanta_client* client, const char* sub_dir, const char* name,
                               bool* exists, vanta_error** error) {
    return Guarded(error, [&] {
        if (const auto r =
                RequireTexts("looking for a file", {client, sub_dir, name, exists}, error)) {
            return r;
        }
        const auto found = client->client.file_exists(sub_dir, name);
        if (!found) {
            return Fail(found.error(), error);
        }
        *exists = *found;
        return VANTA_OK;
    });
}

vanta_result vanta_delete_file(const vanta_client* client, const char* sub_dir, const char* name,
                               vanta_error** error) {
    return Guarded(error, [&] {
        if (const auto r = RequireTexts("deleting a file", {client, sub_dir, name}, error)) {
            return r;
        }
        return Deliver(client->client.delete_file(sub_dir, name), error);
    });
}

vanta_result vanta_remove_directory(const vanta_client* client, const char* path,
                                    vanta_error** error) {
    return Guarded(error, [&] {
        if (const auto r = RequireTexts("removing a directory", {client, path}, error)) {
            return r;
        }
        return Deliver(client->client.remove_directory(path), error);
    });
}

} // extern "C"
