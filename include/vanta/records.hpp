/// \file
/// The records that vanta::Client's operations take and give: accounts, assets, homepages and
/// versions.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace vanta {

/// A moment in time, as the records' dates are given.
using TimePoint = std::chrono::system_clock::time_point;

/// A valid login, with the service's two flags.
struct Login {
    bool has_published = false; ///< the account has published an asset under the product
    bool has_homepage = false;  ///< the account has a homepage
};

/// The personal details of an account, as registration and update send them.
struct UserDetails {
    std::string first_name;     ///< first name
    std::string last_name;      ///< last name
    std::string middle_initial; ///< middle initial
    std::string address;        ///< street address
    std::string city;           ///< city
    std::string state;          ///< state or region
    std::string zip;            ///< postal code
    std::string email;          ///< mail address
    std::string day_phone;      ///< day-time telephone number
    std::string extension;      ///< its extension
    std::string fax;            ///< fax number
    std::string night_phone;    ///< evening telephone number
    std::string code;           ///< the account's code text
};

/// What registering an account (or a further product of one) sends.
struct NewAccount {
    std::string user_id;    ///< also names the account's directory on the service
    std::string password;   ///< the account's password
    std::string product_id; ///< the product to register
    UserDetails details;    ///< the person's details
};

/// The outcome of a registration.
struct Registration {
    /// What the registration did.
    enum class Kind {
        new_account, ///< the account was created
        new_product, ///< a known account registered a further product
        existing,    ///< the account and the product were both known
    };
    Kind kind = Kind::new_account; ///< what the registration did
    std::string user_id;           ///< the account's user id
    std::string user_number;       ///< the account's number on the service
    std::string message;           ///< the service's free text
};

/// The service's record of a user.
struct User {
    std::string user_id;            ///< the user id
    UserDetails details;            ///< the person's details
    std::int64_t user_number = 0;   ///< the account's number on the service
    std::int64_t asset_count = 0;   ///< number of assets
    std::int64_t product_count = 0; ///< number of registered products
};

/// One published asset.
struct Asset {
    std::string user_number;             ///< the owner's user id, as the request named it
    std::string asset_number;            ///< the asset's number
    std::string name;                    ///< the asset's name
    std::string description;             ///< free text, as the service sent it
    std::int64_t product = 0;            ///< the product it belongs to
    std::int64_t type = 0;               ///< the asset type given at upload
    std::int64_t declared_size = 0;      ///< bytes, as announced when the asset was created
    std::string asset_id;                ///< the login name of the asset's page
    std::string password;                ///< the password of the asset's page
    TimePoint created;                   ///< when the asset was created
    std::int64_t file_count = 0;         ///< number of files
    std::string page_address;            ///< address of the asset's page
    std::int64_t page_views = 0;         ///< views of the page
    std::vector<std::string> file_names; ///< the files' names, in upload order
};

/// The page views of an asset on one day.
struct AssetStat {
    std::chrono::sys_days day;   ///< the day
    std::int64_t page_views = 0; ///< views of the asset's page on that day
};

/// A user's disk quota on the service.
struct DiskSpace {
    std::uint64_t quota = 0; ///< bytes
    std::uint64_t used = 0;  ///< bytes stored now
};

/// A user's homepage: five free texts.
struct Homepage {
    std::string title;   ///< the page title
    std::string heading; ///< the heading
    std::string body;    ///< the body text
    std::string theme;   ///< the theme's name or number
    std::string reply;   ///< the reply text
};

/// The library's update version against the one the service offers.
struct VersionCheck {
    std::string library;     ///< the update version this library announces ("3.3")
    std::string service;     ///< the update version the service offers, as it sent it
    bool up_to_date = false; ///< the two are the same
};

} // namespace vanta
