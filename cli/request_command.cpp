// vanta request --program PATH [--body BODY]: the raw request channel.
#include "cli/cli_common.h"
#include "cli/output.h"
#include "cli/terminal_text.h"

#include <iostream>

void AddRequestCommand(CLI::App& app) {
    auto* command = app.add_subcommand("request", "Post a form body to a CGI program and print "
                                                  "the reply");
    static std::string program;
    static std::string body;
    command->add_option("--program", program, "Path of the program on the service")->required();
    command->add_option("--body", body, "Form body, sent as given (one line feed is added)");
    command->footer("Example:\n  vanta request --program /cgiscripts/get_version.exe");
    OnSelected(*command, [] {
        const auto reply = Service().post_request(program, body);
        if (Options().json) {
            return Finish("QDX_SendHTTPRequest", reply,
                          {{"program", program}, {"reply", reply ? *reply : ""}});
        }
        // The reply as it came, control characters escaped; then the result, as for any command.
        if (!Options().quiet && reply && !reply->empty()) {
            std::cout << EscapeForTerminal(*reply, LineFeeds::kKeep);
            if (reply->back() != '\n') {
                std::cout << '\n';
            }
        }
        return Finish("QDX_SendHTTPRequest", reply, Fields::object());
    });
}
