// vanta ftp put|check|rm|rmdir: the FTP file operations on the service host.
#include "cli/cli_common.h"
#include "cli/exit_status.h"
#include "cli/output.h"
#include "cli/usage_errors.h"

#include <optional>
#include <string>

namespace {
struct FtpArgs {
    std::string dir;
    std::string local;
    std::string name;
};

FtpArgs& Args() {
    static FtpArgs args;
    return args;
}

// The final component of a local path, after the platform's last separator ('/', and on
// Windows '\\' too): the name a file is stored under by default.
std::string BaseName(const std::string& path) {
    return Utf8Text(LocalPath(path).filename());
}

int RunPut() {
    const std::string name = Args().name.empty() ? BaseName(Args().local) : Args().name;
    return Finish("QDX_FTPFile", Service().send_file(LocalPath(Args().local), Args().dir, name),
                  {{"directory", Args().dir}, {"name", name}});
}

// --dir is a whole FTP path for every ftp command. The look-up and the delete reach only the
// assets tree (the library takes a directory below it), so there the path must lie in it; the
// part below /assets/ is what the library is given. Anything else is refused before a
// connection is made.
std::optional<std::string> BelowAssetsRoot(const std::string& dir) {
    const std::string root = "/assets";
    if (dir == root || dir == root + "/") {
        return "";
    }
    if (dir.starts_with(root + "/")) {
        return dir.substr(root.size() + 1);
    }
    return std::nullopt;
}

int NotBelowAssetsRoot() {
    return Fail(kExitUsage, "--dir must be a whole path in /assets/, e.g. /assets/ann/3/1, not '" +
                                Args().dir + "'" + UsageHint(CurrentCommand()));
}

int RunCheck() {
    const std::optional<std::string> subDir = BelowAssetsRoot(Args().dir);
    if (!subDir) {
        return NotBelowAssetsRoot();
    }
    const auto found = Service().file_exists(*subDir, Args().name);
    Fields fields = {{"directory", Args().dir}, {"name", Args().name}};
    if (found) {
        fields["found"] = *found;
    }
    return Finish("QDX_CheckFile", found, fields);
}

int RunRemove() {
    const std::optional<std::string> subDir = BelowAssetsRoot(Args().dir);
    if (!subDir) {
        return NotBelowAssetsRoot();
    }
    return Finish("QDX_FTPDeleteFile", Service().delete_file(*subDir, Args().name),
                  {{"directory", Args().dir}, {"name", Args().name}});
}

int RunRemoveDir() {
    return Finish("QDX_FTPRemoveDir", Service().remove_directory(Args().dir),
                  {{"directory", Args().dir}});
}
} // namespace

void AddFtpCommands(CLI::App& app) {
    auto* ftp = app.add_subcommand("ftp", "File operations on the service's FTP tree");

    auto* put = ftp->add_subcommand("put", "Store the local file LOCAL in a remote directory");
    put->add_option("--dir", Args().dir,
                    "Remote directory, a whole FTP path (\"\" for the login directory)")
        ->required();
    put->add_option("--name", Args().name, "Remote file name (default: LOCAL's file name)");
    put->add_option("LOCAL", Args().local, "Local file to send")->required();
    put->footer("Example:\n  vanta ftp put --dir /assets/ann photo.jpg");
    OnSelected(*put, RunPut);

    auto* check = ftp->add_subcommand(
        "check", "Tell whether a file or directory exists in /assets/ (exit 0 either way)");
    check->add_option("--dir", Args().dir, "Whole FTP path of a directory in /assets/")->required();
    check->add_option("--name", Args().name, "File or directory name")->required();
    check->footer("Example:\n  vanta ftp check --dir /assets/ann/3/1 --name photo.jpg");
    OnSelected(*check, RunCheck);

    auto* rm = ftp->add_subcommand("rm", "Delete a file in /assets/");
    rm->add_option("--dir", Args().dir, "Whole FTP path of a directory in /assets/")->required();
    rm->add_option("--name", Args().name, "File name")->required();
    rm->footer("Example:\n  vanta ftp rm --dir /assets/ann/3/1 --name photo.jpg");
    OnSelected(*rm, RunRemove);

    auto* rmdir = ftp->add_subcommand("rmdir", "Remove an empty remote directory");
    rmdir->add_option("--dir", Args().dir, "Whole FTP path of the directory")->required();
    rmdir->footer("Example:\n  vanta ftp rmdir --dir /assets/ann/3/1");
    OnSelected(*rmdir, RunRemoveDir);
}
