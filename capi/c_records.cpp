// Records between vanta::Client's types and the C interface's structs.
#include "capi/c_records.h"

#include <chrono>
#include <memory>

namespace vanta::capi {

namespace {

// Frees a half-made record when a later allocation fails.
template <class T, void (*Free)(T*)>
struct Owned {
    std::unique_ptr<T, void (*)(T*)> record{NewRecord<T>(), Free};
    T* Release() { return record.release(); }
};

void FreeDetails(vanta_user_details* d) {
    if (d == nullptr) {
        return;
    }
    for (const char* text :
         {d->first_name, d->last_name, d->middle_initial, d->address, d->city, d->state, d->zip,
          d->email, d->day_phone, d->extension, d->fax, d->night_phone, d->code}) {
        std::free(const_cast<char*>(text));
    }
    std::free(d);
}

vanta_user_details* MakeDetails(const UserDetails& from) {
    Owned<vanta_user_details, FreeDetails> d;
    d.record->first_name = Duplicate(from.first_name);
    d.record->last_name = Duplicate(from.last_name);
    d.record->middle_initial = Duplicate(from.middle_initial);
    d.record->address = Duplicate(from.address);
    d.record->city = Duplicate(from.city);
    d.record->state = Duplicate(from.state);
    d.record->zip = Duplicate(from.zip);
    d.record->email = Duplicate(from.email);
    d.record->day_phone = Duplicate(from.day_phone);
    d.record->extension = Duplicate(from.extension);
    d.record->fax = Duplicate(from.fax);
    d.record->night_phone = Duplicate(from.night_phone);
    d.record->code = Duplicate(from.code);
    return d.Release();
}

int64_t Seconds(std::chrono::system_clock::time_point time) {
    return std::chrono::duration_cast<std::chrono::seconds>(time.time_since_epoch()).count();
}

} // namespace

vanta_login* MakeLogin(const Login& login) {
    auto* made = NewRecord<vanta_login>();
    made->has_published = login.has_published;
    made->has_homepage = login.has_homepage;
    return made;
}

vanta_registration* MakeRegistration(const Registration& r) {
    Owned<vanta_registration, vanta_registration_free> made;
    made.record->kind = static_cast<vanta_registration_kind>(r.kind);
    made.record->user_id = Duplicate(r.user_id);
    made.record->user_number = Duplicate(r.user_number);
    made.record->message = Duplicate(r.message);
    return made.Release();
}

vanta_user* MakeUser(const User& user) {
    Owned<vanta_user, vanta_user_free> made;
    made.record->user_id = Duplicate(user.user_id);
    made.record->details = MakeDetails(user.details);
    made.record->user_number = user.user_number;
    made.record->asset_count = user.asset_count;
    made.record->product_count = user.product_count;
    return made.Release();
}

vanta_asset* MakeAsset(const Asset& a) {
    Owned<vanta_asset, vanta_asset_free> made;
    vanta_asset& m = *made.record;
    m.user_number = Duplicate(a.user_number);
    m.asset_number = Duplicate(a.asset_number);
    m.name = Duplicate(a.name);
    m.description = Duplicate(a.description);
    m.product = a.product;
    m.type = a.type;
    m.declared_size = a.declared_size;
    m.asset_id = Duplicate(a.asset_id);
    m.password = Duplicate(a.password);
    m.created = Seconds(a.created);
    m.file_count = a.file_count;
    m.page_address = Duplicate(a.page_address);
    m.page_views = a.page_views;
    auto** names = static_cast<const char**>(std::calloc(a.file_names.size() + 1, sizeof(char*)));
    if (names == nullptr) {
        throw std::bad_alloc();
    }
    m.file_names = names;
    for (const std::string& name : a.file_names) {
        names[m.file_name_count] = Duplicate(name);
        ++m.file_name_count;
    }
    return made.Release();
}

vanta_asset_list* MakeAssetList(const std::vector<Asset>& assets) {
    Owned<vanta_asset_list, vanta_asset_list_free> made;
    auto** items =
        static_cast<const vanta_asset**>(std::calloc(assets.size() + 1, sizeof(vanta_asset*)));
    if (items == nullptr) {
        throw std::bad_alloc();
    }
    made.record->items = items;
    for (const Asset& asset : assets) {
        items[made.record->count] = MakeAsset(asset);
        ++made.record->count;
    }
    return made.Release();
}

vanta_asset_stats* MakeAssetStats(const std::vector<AssetStat>& stats) {
    Owned<vanta_asset_stats, vanta_asset_stats_free> made;
    auto** items = static_cast<const vanta_asset_stat**>(
        std::calloc(stats.size() + 1, sizeof(vanta_asset_stat*)));
    if (items == nullptr) {
        throw std::bad_alloc();
    }
    made.record->items = items;
    for (const AssetStat& stat : stats) {
        auto* item = NewRecord<vanta_asset_stat>();
        item->day = Seconds(std::chrono::sys_days(stat.day));
        item->page_views = stat.page_views;
        items[made.record->count] = item;
        ++made.record->count;
    }
    return made.Release();
}

vanta_disk_space* MakeDiskSpace(const DiskSpace& space) {
    auto* made = NewRecord<vanta_disk_space>();
    made->quota = space.quota;
    made->used = space.used;
    return made;
}

vanta_homepage* MakeHomepage(const Homepage& page) {
    Owned<vanta_homepage, vanta_homepage_free> made;
    made.record->title = Duplicate(page.title);
    made.record->heading = Duplicate(page.heading);
    made.record->body = Duplicate(page.body);
    made.record->theme = Duplicate(page.theme);
    made.record->reply = Duplicate(page.reply);
    return made.Release();
}

vanta_version_check* MakeVersionCheck(const VersionCheck& check) {
    Owned<vanta_version_check, vanta_version_check_free> made;
    made.record->library = Duplicate(check.library);
    made.record->service = Duplicate(check.service);
    made.record->up_to_date = check.up_to_date;
    return made.Release();
}

UserDetails ToUserDetails(const vanta_user_details* details) {
    UserDetails to;
    if (details == nullptr) {
        return to;
    }
    const vanta_user_details& d = *details;
    const auto take = [&](std::string& into, const char* const& member) {
        const auto offset = static_cast<size_t>(reinterpret_cast<const char*>(&member) -
                                                reinterpret_cast<const char*>(&d));
        if (d.size >= offset + sizeof member) {
            into = Text(member);
        }
    };
    take(to.first_name, d.first_name);
    take(to.last_name, d.last_name);
    take(to.middle_initial, d.middle_initial);
    take(to.address, d.address);
    take(to.city, d.city);
    take(to.state, d.state);
    take(to.zip, d.zip);
    take(to.email, d.email);
    take(to.day_phone, d.day_phone);
    take(to.extension, d.extension);
    take(to.fax, d.fax);
    take(to.night_phone, d.night_phone);
    take(to.code, d.code);
    return to;
}

Homepage ToHomepage(const vanta_homepage& page) {
    Homepage to;
    if (CALLER_HAS(page, vanta_homepage, title)) {
        to.title = Text(page.title);
    }
    if (CALLER_HAS(page, vanta_homepage, heading)) {
        to.heading = Text(page.heading);
    }
    if (CALLER_HAS(page, vanta_homepage, body)) {
        to.body = Text(page.body);
    }
    if (CALLER_HAS(page, vanta_homepage, theme)) {
        to.theme = Text(page.theme);
    }
    if (CALLER_HAS(page, vanta_homepage, reply)) {
        to.reply = Text(page.reply);
    }
    return to;
}

} // namespace vanta::capi

extern "C" {

void vanta_login_free(vanta_login* login) {
    std::free(login);
}

void vanta_registration_free(vanta_registration* r) {
    if (r != nullptr) {
        std::free(const_cast<char*>(r->user_id));
        std::free(const_cast<char*>(r->user_number));
        std::free(const_cast<char*>(r->message));
        std::free(r);
    }
}

void vanta_user_free(vanta_user* user) {
    if (user != nullptr) {
        std::free(const_cast<char*>(user->user_id));
        vanta::capi::FreeDetails(const_cast<vanta_user_details*>(user->details));
        std::free(user);
    }
}

void vanta_asset_free(vanta_asset* a) {
    if (a == nullptr) {
        return;
    }
    for (const char* text : {a->user_number, a->asset_number, a->name, a->description, a->asset_id,
                             a->password, a->page_address}) {
        std::free(const_cast<char*>(text));
    }
    for (size_t i = 0; i < a->file_name_count; ++i) {
        std::free(const_cast<char*>(a->file_names[i]));
    }
    std::free(const_cast<char**>(a->file_names));
    std::free(a);
}

void vanta_asset_list_free(vanta_asset_list* list) {
    if (list != nullptr) {
        for (size_t i = 0; i < list->count; ++i) {
            vanta_asset_free(const_cast<vanta_asset*>(list->items[i]));
        }
        std::free(const_cast<vanta_asset**>(list->items));
        std::free(list);
    }
}

void vanta_asset_stats_free(vanta_asset_stats* stats) {
    if (stats != nullptr) {
        for (size_t i = 0; i < stats->count; ++i) {
            std::free(const_cast<vanta_asset_stat*>(stats->items[i]));
        }
        std::free(const_cast<vanta_asset_stat**>(stats->items));
        std::free(stats);
    }
}

void vanta_disk_space_free(vanta_disk_space* space) {
    std::free(space);
}

void vanta_homepage_free(vanta_homepage* page) {
    if (page != nullptr) {
        for (const char* text :
             {page->title, page->heading, page->body, page->theme, page->reply}) {
            std::free(const_cast<char*>(text));
        }
        std::free(page);
    }
}

void vanta_version_check_free(vanta_version_check* check) {
    if (check != nullptr) {
        std::free(const_cast<char*>(check->library));
        std::free(const_cast<char*>(check->service));
        std::free(check);
    }
}

void vanta_user_details_init(vanta_user_details* details, size_t size) {
    if (details != nullptr && size >= sizeof details->size) {
        vanta_user_details empty{};
        empty.size = size < sizeof empty ? size : sizeof empty;
        std::memcpy(details, &empty, empty.size);
    }
}

void vanta_homepage_init(vanta_homepage* page, size_t size) {
    if (page != nullptr && size >= sizeof page->size) {
        vanta_homepage empty{};
        empty.size = size < sizeof empty ? size : sizeof empty;
        std::memcpy(page, &empty, empty.size);
    }
}

} // extern "C"
