// The account's contact details, as the registration and the update forms both send them:
// the same twelve fields in the same order between the forms' own leading and trailing fields.
#pragma once

#include "transport/form_body.h"
#include "vanta/cstring.h"

namespace core {
// The details as the caller gave them, bytes unchanged.
struct ContactDetails {
    CString first;
    CString last;
    CString address;
    CString city;
    CString state;
    CString zip;
    CString email;
    CString dayPhone;
    CString extension;
    CString fax;
    CString nightPhone;
    CString middleInitial;
};
} // namespace core

inline vanta::internal::FormBody& AddContactFields(vanta::internal::FormBody& body,
                                                   const core::ContactDetails& d) {
    return body.Add("&First=", d.first)
        .Add("&Last=", d.last)
        .Add("&Addr=", d.address)
        .Add("&City=", d.city)
        .Add("&St=", d.state)
        .Add("&Zip=", d.zip)
        .Add("&EMail=", d.email)
        .Add("&Day=", d.dayPhone)
        .Add("&Ex=", d.extension)
        .Add("&Fax=", d.fax)
        .Add("&Night=", d.nightPhone)
        .Add("&Mid=", d.middleInitial);
}
