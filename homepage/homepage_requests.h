// The homepage requests with every outcome kept apart. The exports fold all failures into 0;
// the C++ client tells them apart.
#pragma once

#include "vanta/cstring.h"
#include "vanta/status_callback.h"

// Reads the record. 1: read (a short reply leaves the texts it lacks as they were); 256 /
// 2048: the first value is FAIL / NOROWS, which `title` then holds (the rest untouched);
// 32: the request failed.
unsigned int ReadHomepage(const CString& userId, CString& title, CString& heading, CString& body,
                          CString& theme, CString& reply, StatusCallback callback);

// Writes the record. 1, or 256 when the service answered FAIL, or 32.
unsigned int WriteHomepage(const CString& userId, const CString& title, const CString& heading,
                           const CString& body, const CString& theme, const CString& reply,
                           StatusCallback callback);

// Deletes the record. 1, or 256 when the service answered FAIL, or 32.
unsigned int RemoveHomepage(const CString& userId, StatusCallback callback);
