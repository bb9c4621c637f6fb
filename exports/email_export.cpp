// QDX_Email: the sharing request. It gets a session from the service, writes the info file
// and starts the email job in the slot of the exports.
#include "email/email_preparation.h"
#include "email/info_file.h"
#include "email/mail_address.h"
#include "jobs/email_worker.h"
#include "jobs/job_slot.h"
#include "transport/export_guard.h"
#include "transport/service_config.h"
#include "vanta/email.h"
#include "vanta/result_codes.h"

#include <memory>

using namespace vanta::result;
using namespace vanta::internal;

namespace {
// An info file of an earlier call is sent again by the job only if the caller's list still
// names it: drop the entry that a previous call appended (the last one), so the file never
// lists itself.
void RemoveStaleInfoEntry(CStringArray& files) {
    for (INT_PTR i = files.GetSize() - 1; i >= 0; --i) {
        if (files.GetAt(i).Find(kEmailInfoName) >= 0) {
            files.RemoveAt(i);
            return;
        }
    }
}
} // namespace

unsigned int WINAPI QDX_Email(const CStringArray& addresses, const CString& subject,
                              const CString& message, CStringArray& files,
                              const CStringArray& /*reservedList*/, const CString& snText,
                              StatusCallback callback) {
    return GuardExport("sharing files by email", kZero, [&]() -> unsigned int {
        // The sender is entry 0; without it there is nothing to write. An address that cannot
        // be delivered to would be refused by the service only after every file was sent.
        if (addresses.GetSize() == 0 || !AllPlausibleMailAddresses(addresses)) {
            return kZero;
        }
        // A running job may still send the info file: nothing is requested or written while it
        // runs, and no other job may start until this one has.
        JobSlot::Claim claim = ExportJobSlot().ClaimStart();
        if (!claim) {
            return kBusyOrFtpError;
        }
        RemoveStaleInfoEntry(files);

        // The session request and the job run with the configuration as it stands now.
        const std::shared_ptr<const ServiceConfig> config = ProcessConfig();
        const vanta::Result<CString> session =
            core::PrepareShare(CallContext{*config, StatusSink(callback)}, addresses, subject,
                               message, files, snText, &EmailInfoPath);
        if (!session) {
            return session.error().code;
        }
        // The job sends copies of the list's paths, the info file last.
        JobArguments arguments;
        arguments.userId = *session;
        arguments.files = files;
        arguments.config = config;
        arguments.status = StatusSink(callback);
        return claim.Start(std::make_unique<Job>(std::move(arguments), kShareWork));
    });
}
