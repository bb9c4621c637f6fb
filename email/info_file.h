// The email info file: the whole sharing request (recipients, sender, subject, message lines,
// file names, the SN text) as lines that the service's mailer reads.
#pragma once

#include "vanta/collections.h"
#include "vanta/cstring.h"

inline constexpr const char* kEmailInfoName = "~emailinfo.qorl";

// The file's text: "TO: " lines for entries 1 on of `addresses`, "FR: " for entry 0, "SU: ",
// one "MS: " line per non-empty piece of `message` cut at every LF, one "FL: " line per entry
// of `fileNames`, and "SN: "; every line ends with CR LF. A CR or LF inside an address, the
// subject, a file name or `snText` becomes a blank, so no value can add a line of its own; a
// CR that ends a message piece stays. `addresses` must not be empty.
CString BuildEmailInfo(const CStringArray& addresses, const CString& subject,
                       const CString& message, const CStringArray& fileNames,
                       const CString& snText);

// "~emailinfo.qorl" in the temporary directory, or empty when there is none.
CString EmailInfoPath();

// Replaces the file at `path` with `text`. The file is readable by its owner only, and a
// symbolic link planted at the path is not followed. Throws CFileException.
void WriteEmailInfo(const CString& path, const CString& text);
