// Assets and the homepage through the C interface.
#include "capi/c_records.h"

using namespace vanta::capi;

extern "C" {

vanta_result vanta_asset_info(const vanta_client* client, const char* user_id,
                              const char* asset_number, vanta_asset** asset, vanta_error** error) {
    return Guarded(error, [&] {
        if (const auto r =
                RequireTexts("reading an asset", {client, user_id, asset_number}, error)) {
            return r;
        }
        return Deliver(client->client.asset_info(user_id, asset_number), asset, error, MakeAsset);
    });
}

vanta_result vanta_asset_list_get(const vanta_client* client, const char* user_id,
                                  const char* product, vanta_asset_list** list,
                                  vanta_error** error) {
    return Guarded(error, [&] {
        if (const auto r = RequireTexts("listing assets", {client, user_id, product}, error)) {
            return r;
        }
        return Deliver(client->client.asset_list(user_id, product), list, error, MakeAssetList);
    });
}

vanta_result vanta_asset_stats_get(const vanta_client* client, const char* user_id,
                                   const char* asset_number, vanta_asset_stats** stats,
                                   vanta_error** error) {
    return Guarded(error, [&] {
        if (const auto r = RequireTexts("reading an asset's statistics",
                                        {client, user_id, asset_number}, error)) {
            return r;
        }
        return Deliver(client->client.asset_stats(user_id, asset_number), stats, error,
                       MakeAssetStats);
    });
}

vanta_result vanta_delete_asset(const vanta_client* client, const char* user_id,
                                const char* product, const char* asset_number,
                                vanta_error** error) {
    return Guarded(error, [&] {
        if (const auto r = RequireTexts("removing an asset",
                                        {client, user_id, product, asset_number}, error)) {
            return r;
        }
        return Deliver(client->client.delete_asset(user_id, product, asset_number), error);
    });
}

vanta_result vanta_disk_space_get(const vanta_client* client, const char* user_id,
                                  const char* product, vanta_disk_space** space,
                                  vanta_error** error) {
    return Guarded(error, [&] {
        if (const auto r =
                RequireTexts("reading the disk quota", {client, user_id, product}, error)) {
            return r;
        }
        return Deliver(client->client.disk_space(user_id, product), space, error, MakeDiskSpace);
    });
}

vanta_result vanta_homepage_get(const vanta_client* client, const char* user_id,
                                vanta_homepage** page, vanta_error** error) {
    return Guarded(error, [&] {
        if (const auto r = RequireTexts("reading a homepage", {client, user_id}, error)) {
            return r;
        }
        return Deliver(client->client.homepage(user_id), page, error, MakeHomepage);
    });
}

vanta_result vanta_update_homepage(const vanta_client* client, const char* user_id,
                                   const vanta_homepage* page, vanta_error** error) {
    return Guarded(error, [&] {
        if (const auto r = RequireTexts("writing a homepage", {client, user_id, page}, error)) {
            return r;
        }
        return Deliver(client->client.update_homepage(user_id, ToHomepage(*page)), error);
    });
}

vanta_result vanta_delete_homepage(const vanta_client* client, const char* user_id,
                                   vanta_error** error) {
    return Guarded(error, [&] {
        if (const auto r = RequireTexts("removing a homepage", {client, user_id}, error)) {
            return r;
        }
        return Deliver(client->client.delete_homepage(user_id), error);
    });
}

} // extern "C"
