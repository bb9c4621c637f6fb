/// \file
/// VantaAPI: the one header a host application includes.
///
/// A client library for the publishing service: user accounts, background asset uploads with
/// progress and cancel, asset lists and statistics, email sharing of files, a homepage record,
/// FTP file operations, a version check and self-update. Every export that talks to the service
/// blocks its caller until it is done and takes the caller's StatusCallback (or null) last.
/// Result codes are documented in vanta/result_codes.h.
#pragma once

#include "vanta/assets.h"
#include "vanta/collections.h"
#include "vanta/cstring.h"
#include "vanta/email.h"
#include "vanta/export.h"
#include "vanta/ftp.h"
#include "vanta/homepage.h"
#include "vanta/result_codes.h"
#include "vanta/self_update.h"
#include "vanta/status_callback.h"
#include "vanta/transport.h"
#include "vanta/upload.h"
#include "vanta/users.h"
#include "vanta/versions.h"
