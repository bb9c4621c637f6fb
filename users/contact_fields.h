// The account's contact details, as the registration and the update forms both send them:
// the same twelve fields in the same order between the forms' own leading and trailing fields.
#pragma once

#include "transport/form_body.h"
#include "vanta/cstring.h"

inline vanta::internal::FormBody&
AddContactFields(vanta::internal::FormBody& body, const CString& first, const CString& last,
                 const CString& addr, const CString& city, const CString& st, const CString& zip,
                 const CString& email, const CString& day, const CString& ex, const CString& fax,
                 const CString& night, const CString& mid) {
    return body.Add("&First=", first)
        .Add("&Last=", last)
        .Add("&Addr=", addr)
        .Add("&City=", city)
        .Add("&St=", st)
        .Add("&Zip=", zip)
        .Add("&EMail=", email)
        .Add("&Day=", day)
        .Add("&Ex=", ex)
        .Add("&Fax=", fax)
        .Add("&Night=", night)
        .Add("&Mid=", mid);
}
