// A phone's vCalendar 1.0 backup split --to-ics, one entry a file, as
// importers meet it: a calendar server (Debian's radicale) stores every file,
// and ical.js and libical read each event at the instant, with the summary
// and the rule, that the backup meant.

#include "tests/posix/ical_reading.h"
#include "tests/posix/process.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <arpa/inet.h>
#include <csignal>
#include <filesystem>
#include <netinet/in.h>
#include <sstream>
#include <sys/socket.h>
#include <unistd.h>

namespace orvelin::testing {
namespace {

// Each event of tests/data/phone-backup.vcs: its start in UTC, summary and rule.
const std::vector<std::string> kMeant = {
    "20260115T160000Z\tZahnarzt Dr. Müller\t",
    "20260202T180000Z\tElternabend Klasse 4b\tBYDAY=1MO;COUNT=6;FREQ=MONTHLY",
    "20260313T230000Z\tGeburtstag Oma ❤\tBYMONTH=3;FREQ=YEARLY",
    "20260401T043000Z\tLaufen\tFREQ=DAILY;INTERVAL=2;UNTIL=20260430T043000Z",
    "20260407T073000Z\tBesprechung Büro\tBYDAY=TU,TH;COUNT=10;FREQ=WEEKLY",
    "20260720T060000Z\tFerienhaus in Åre\t",
};

// An event's line, its rule's parts in order of name, as each reader orders them otherwise.
std::string Meaning(const std::string& start, const std::string& summary, const std::string& rule)
{
    std::vector<std::string> parts;
    std::istringstream partsOf(rule);
    for (std::string part; std::getline(partsOf, part, ';');)
        parts.push_back(part);
    std::sort(parts.begin(), parts.end());
    std::string sorted;
    for (const std::string& part : parts)
        sorted += (sorted.empty() ? "" : ";") + part;
    return start + "\t" + summary + "\t" + sorted;
}

std::vector<std::string> ReadByLibical(const std::string& text)
{
    const IcalComponent root(icalparser_parse_string(text.c_str()), &icalcomponent_free);
    std::vector<std::string> events;
    for (icalcomponent* event = icalcomponent_get_first_component(root.get(), ICAL_VEVENT_COMPONENT); event;
         event = icalcomponent_get_next_component(root.get(), ICAL_VEVENT_COMPONENT)) {
        std::string rule;
        if (icalproperty* property = icalcomponent_get_first_property(event, ICAL_RRULE_PROPERTY)) {
            icalrecurrencetype recurrence = icalproperty_get_rrule(property);
            rule = icalrecurrencetype_as_string(&recurrence);
        }
        events.push_back(Meaning(Utc(root.get(), icalcomponent_get_first_property(event, ICAL_DTSTART_PROPERTY)),
                                 icalcomponent_get_summary(event), rule));
    }
    return events;
}

sockaddr_in Loopback(int port)
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

// Connected to port on the loopback address; -1 where nothing listens.
int Connect(int port)
{
    const int socket = ::socket(AF_INET, SOCK_STREAM, 0);
    const sockaddr_in address = Loopback(port);
    if (::connect(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0)
        return socket;
    ::close(socket);
    return -1;
}

// A port on the loopback address that nothing listens on (the system's choice).
int FreePort()
{
    const int socket = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address = Loopback(0);
    socklen_t size = sizeof address;
    ::bind(socket, reinterpret_cast<sockaddr*>(&address), size);
    ::getsockname(socket, reinterpret_cast<sockaddr*>(&address), &size);
    ::close(socket);
    return ntohs(address.sin_port);
}

// Radicale on a free loopback port, without authentication, storing into a
// folder of its own; stopped at the end.
class CalendarServer {
public:
    CalendarServer()
        : port_(FreePort()),
          server_({"/usr/bin/radicale", "--config", "--server-hosts", "127.0.0.1:" + std::to_string(port_),
                   "--auth-type", "none", "--storage-filesystem-folder", storage_ / "collections"},
                  storage_.path())
    {
        for (int tries = 0; tries < 500 && !server_.EndedWithin(std::chrono::milliseconds(20)); ++tries) {
            if (const int socket = Connect(port_); socket >= 0) {
                ::close(socket);
                return;
            }
        }
        ADD_FAILURE() << "radicale does not listen on port " << port_;
    }
    ~CalendarServer()
    {
        ::kill(server_.pid(), SIGTERM);
        server_.Wait();
    }

    // The HTTP status of the request, as user "orvelin".
    int Request(const std::string& method, const std::string& path, const std::string& body)
    {
        const int socket = Connect(port_);
        const std::string request = method + " " + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\n" +
            "Authorization: Basic b3J2ZWxpbjo=\r\nContent-Type: text/calendar; charset=utf-8\r\n" +
            "Content-Length: " + std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
        if (socket < 0 ||
            ::send(socket, request.data(), request.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(request.size()))
            return -1;
        char answer[64] = {};
        const ssize_t got = ::recv(socket, answer, sizeof answer - 1, MSG_WAITALL);
        ::close(socket);
        return got > 12 ? std::atoi(answer + 9) : -1;  // "HTTP/1.1 201 ..."
    }

private:
    TempFolder storage_;
    int port_;
    StartedProcess server_;
};

TEST(PhoneBackup, EveryFileIsStoredByACalendarServerAndReadByIcalJsAndLibicalAsTheBackupMeantIt)
{
    TempFolder folder;
    WriteBytes(folder / "phone.vcs", ReadBytes(std::string(ORVELIN_SOURCE_DIR) + "/tests/data/phone-backup.vcs"));
    const ProcessResult split = RunProcess({ORVELIN_SPLIT_PATH, "--to-ics", "-o", "ics", "phone.vcs"}, folder.path());
    ASSERT_EQ(split.exitStatus, 0) << split.err;
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder / "ics")) {
        if (entry.path().extension() == ".ics")
            files.push_back(entry.path().string());
    }
    std::sort(files.begin(), files.end());
    ASSERT_EQ(files.size(), kMeant.size() + 1);  // and a to-do

    CalendarServer server;
    ASSERT_EQ(server.Request("MKCALENDAR", "/orvelin/phone/", ""), 201);
    std::vector<std::string> byLibical;
    for (const std::string& file : files) {
        const std::string bytes = ReadBytes(file);
        const int status = server.Request("PUT", "/orvelin/phone/" + Utf8Path(file).filename().string(), bytes);
        EXPECT_TRUE(status == 201 || status == 204) << file << ": " << status << "\n" << bytes;
        const std::vector<std::string> events = ReadByLibical(bytes);
        byLibical.insert(byLibical.end(), events.begin(), events.end());
    }
    EXPECT_EQ(byLibical, kMeant);

    if (!std::filesystem::exists(ORVELIN_NODE))
        GTEST_SKIP() << "node is not installed: ical.js did not read the files";
    std::vector<std::string> command{
        ORVELIN_NODE, std::string(ORVELIN_SOURCE_DIR) + "/tests/posix/read_with_ical_js.mjs", ORVELIN_ICAL_JS};
    command.insert(command.end(), files.begin(), files.end());
    const ProcessResult read = RunProcess(command, folder.path());
    ASSERT_EQ(read.exitStatus, 0) << read.err;
    std::vector<std::string> byIcalJs;
    std::istringstream lines(read.out);
    for (std::string start, summary, rule;
         std::getline(lines, start, '\t') && std::getline(lines, summary, '\t') && std::getline(lines, rule);)
        byIcalJs.push_back(Meaning(start, summary, rule));
    EXPECT_EQ(byIcalJs, kMeant);
}

}  // namespace
}  // namespace orvelin::testing
