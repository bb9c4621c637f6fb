// Remote file management below the assets root: look a name up, delete a file, remove a
// directory.
#include "files/remote_files.h"

#include "net/ftp_file_find.h"
#include "net/internet_exception.h"
#include "transport/endpoints.h"
#include "transport/export_guard.h"
#include "transport/ftp_connect.h"
#include "vanta/ftp.h"
#include "vanta/result_codes.h"

using namespace vanta::result;

unsigned int WINAPI QDX_CheckFile(const CString& subDir, const CString& fileName, int& found,
                                  StatusCallback callback) {
    return GuardExport("looking for a remote file", kBusyOrFtpError, [&]() -> unsigned int {
        FtpCall call(callback);
        try {
            // Names that would be refused are refused before the connection is made.
            const CString directory = endpoint::kAssetsRoot + subDir;
            const char* name = WholeText(fileName);
            WholeText(directory);
            CFtpConnection& connection = call.Connect();
            // A directory that cannot be entered holds nothing: searching the login directory
            // instead could report a file of the same name elsewhere.
            if (!connection.SetCurrentDirectory(WholeText(directory))) {
                found = 0;
                return kSuccess;
            }
            CFtpFileFind finder(&connection, 1);
            found = finder.FindFile(name, INTERNET_FLAG_RELOAD) ? 1 : 0;
            finder.Close();
            return kSuccess;
        } catch (const CInternetException&) {
            return kBusyOrFtpError;
        }
    });
}

unsigned int WINAPI QDX_FTPDeleteFile(const CString& subDir, const CString& fileName,
                                      StatusCallback callback) {
    return GuardExport("deleting a remote file", kBusyOrFtpError, [&]() -> unsigned int {
        FtpCall call(callback);
        try {
            const CString directory = endpoint::kAssetsRoot + subDir;
            const char* name = WholeText(fileName);
            WholeText(directory);
            CFtpConnection& connection = call.Connect();
            if (!connection.SetCurrentDirectory(WholeText(directory))) {
                return kNotFound;
            }
            CFtpFileFind finder(&connection, 1);
            unsigned int result = kNotFound;
            if (finder.FindFile(name, INTERNET_FLAG_RELOAD)) {
                // Removed while the search is still open. A refusal (a directory of that name,
                // say) removed nothing, and says so.
                result = connection.Remove(name) ? kSuccess : kNotFound;
            }
            finder.Close();
            return result;
        } catch (const CInternetException&) {
            return kBusyOrFtpError;
        }
    });
}

unsigned int RemoveRemoteDirectory(const CString& dirPath, StatusCallback callback) {
    FtpCall call(callback);
    try {
        const char* directory = WholeText(dirPath); // refused before the connection is made
        CFtpConnection& connection = call.Connect();
        // A directory that still holds files, or none at all, is refused by the server: the
        // caller learns that its directory is still there.
        return connection.RemoveDirectory(directory) ? kSuccess : kServiceFail;
    } catch (const CInternetException&) {
        return kBusyOrFtpError;
    }
}

unsigned int RemoveJobDirectory(const CallContext& context, const CString& dirPath,
                                const CStringArray& names) {
    FtpCall call(context);
    try {
        CFtpConnection& connection = call.Connect();
        // A directory that cannot be entered holds nothing of the job's: it was never made,
        // or it went with the asset's record.
        if (!connection.SetCurrentDirectory(WholeText(dirPath))) {
            return kSuccess;
        }
        for (INT_PTR i = 0; i < names.GetSize(); ++i) {
            // A file that never arrived is refused; the directory's removal tells whether
            // anything stayed.
            connection.Remove(WholeText(names.GetAt(i)));
        }
        // Out of the directory first: a server may refuse to remove the one it stands in.
        connection.SetCurrentDirectory("/");
        if (!connection.RemoveDirectory(WholeText(dirPath))) {
            return kBusyOrFtpError;
        }
        return kSuccess;
    } catch (const CInternetException&) {
        return kBusyOrFtpError;
    }
}

unsigned int WINAPI QDX_FTPRemoveDir(const CString& dirPath, StatusCallback callback) {
    return GuardExport("removing a remote directory", kBusyOrFtpError, [&]() -> unsigned int {
        const unsigned int result = RemoveRemoteDirectory(dirPath, callback);
        return result == kServiceFail ? kBusyOrFtpError : result;
    });
}
