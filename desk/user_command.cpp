#include "user_command.h"

#include <termios.h>
#include <unistd.h>

#include <cstdio>

#include <openssl/crypto.h>

#include "options.h"
#include "staff_accounts.h"
#include "storage.h"
#include "time_text.h"

namespace omni::desk {

namespace {

const char kUsage[] =
    "Usage: omniprobe-desk user add|password|remove NAME [--db FILE|URL]\n"
    "       omniprobe-desk user list [--db FILE|URL]\n"
    "Keeps the desk's staff accounts in its database (--db, or OMNI_DESK_DB, as the service is given it).\n"
    "add and password read the password from the terminal, twice, or as one line from standard input;\n"
    "password and remove end the account's sessions.\n";

// One line of at most 1000 bytes, its line end dropped.
bool ReadLine(std::string& line) {
    line.clear();
    for (int c; (c = std::getchar()) != EOF && c != '\n';) {
        if (line.size() >= 1000) return false;
        line += static_cast<char>(c);
    }
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return true;
}

bool AskHidden(const char* prompt, std::string& answer) {
    std::fputs(prompt, stderr);
    termios saved{};
    tcgetattr(STDIN_FILENO, &saved);
    termios quiet = saved;
    quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
    const bool read = ReadLine(answer);
    tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved);
    std::fputs("\n", stderr);
    return read;
}

bool ReadPassword(const std::string& name, std::string& password) {
    if (!isatty(STDIN_FILENO)) return ReadLine(password);
    std::string again;
    const bool read = AskHidden(("Password for " + name + ": ").c_str(), password) && AskHidden("Again: ", again);
    const bool same = read && again == password;
    OPENSSL_cleanse(again.data(), again.size());
    if (!same) std::fputs("omniprobe-desk: the two passwords differ\n", stderr);
    return same;
}

std::string Shown(int64_t ms) { return IsoTime(ms).substr(0, 19) + "Z"; }

}  // namespace

int RunUserCommand(const std::vector<std::string>& args, const std::function<const char*(const char*)>& environment) {
    std::string db = "omniprobe-desk.sqlite";
    if (const char* fromEnvironment = environment("OMNI_DESK_DB"); fromEnvironment && *fromEnvironment) db = fromEnvironment;
    std::vector<std::string> words;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--db" && i + 1 < args.size()) db = args[++i];
        else if (args[i] == "--help" || args[i] == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        } else {
            words.push_back(args[i]);
        }
    }
    const std::string action = words.empty() ? "" : words[0];
    const bool named = action == "add" || action == "password" || action == "remove";
    if (!(named && words.size() == 2) && !(action == "list" && words.size() == 1)) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    std::unique_ptr<Storage> storage;
    try {
        storage = OpenStorage(db);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "omniprobe-desk: cannot open the database %s: %s\n", PrintableDatabase(db).c_str(), e.what());
        return 1;
    }
    StaffAccounts accounts(*storage);
    if (action == "list") {
        for (const Account& account : accounts.List())
            std::printf("%s\tcreated %s\tpassword set %s\n", account.name.c_str(), Shown(account.createdMs).c_str(),
                        Shown(account.changedMs).c_str());
        return 0;
    }
    const std::string& name = words[1];
    AccountResult result;
    if (action == "remove") {
        result = accounts.Remove(name);
    } else {
        if (action == "add" && !IsAccountName(name)) {
            std::fprintf(stderr, "omniprobe-desk: %s\n", AccountResultText(AccountResult::BadName));
            return 1;
        }
        std::string password;
        if (!ReadPassword(name, password)) return 1;
        result = action == "add" ? accounts.Add(name, password, NowMs()) : accounts.SetPassword(name, password, NowMs());
        OPENSSL_cleanse(password.data(), password.size());
    }
    if (result != AccountResult::Done) {
        std::fprintf(stderr, "omniprobe-desk: %s: %s\n", name.c_str(), AccountResultText(result));
        return 1;
    }
    const char* done = action == "add" ? "added" : action == "remove" ? "removed" : "has a new password";
    std::printf("omniprobe-desk: account %s %s\n", name.c_str(), done);
    return 0;
}

}  // namespace omni::desk
