// vanta request PROGRAM [BODY]: the raw request channel.
#include "cli/cli_common.h"

#include <iostream>

void AddRequestCommand(CLI::App& app) {
    auto* command = app.add_subcommand("request", "Post BODY to a CGI program and print the reply");
    static std::string program;
    static std::string body;
    command->add_option("PROGRAM", program, "Path of the program, e.g. /cgiscripts/get_version.exe")
        ->required();
    command->add_option("BODY", body, "Form body, sent as given (one line feed is added)");
    command->callback([] {
        CString reply;
        const unsigned int code =
            QDX_SendHTTPRequest(CString(body), CString(program), reply, CliStatusCallback());
        if (Options().json) {
            throw CLI::RuntimeError(
                Report("QDX_SendHTTPRequest", code, 1, {{"reply", reply.str()}}));
        }
        std::cout.write(reply.GetString(), reply.GetLength());
        if (!reply.IsEmpty() && reply.str().back() != '\n') {
            std::cout << '\n';
        }
        std::cerr << "QDX_SendHTTPRequest: " << ResultName("QDX_SendHTTPRequest", code) << '\n';
        throw CLI::RuntimeError(code == 1 ? 0 : 1);
    });
}
