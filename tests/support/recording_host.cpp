#include "tests/support/recording_host.h"

#include "platform/folders.h"

#include <gtest/gtest-printers.h>

namespace orvelin::testing {

void PrintTo(const HostCall& call, std::ostream* out)
{
    static const char* const kNames[] = {"Message", "Progress", "Pump", "OpenFolder", "End"};
    *out << kNames[static_cast<int>(call.kind)];
    if (call.kind == HostCall::Kind::Message)
        *out << (call.icon == MessageIcon::Critical ? "(critical, " : "(information, ") << call.title << ", ";
    else if (call.kind == HostCall::Kind::Progress)
        *out << (call.visible ? "(visible, " : "(hidden, ");
    else
        *out << "(";
    *out << ::testing::PrintToString(call.text) << ")";
}

HostCall Message(std::string text, std::string title, MessageIcon icon)
{
    return {HostCall::Kind::Message, std::move(text), std::move(title), icon, false};
}

HostCall InfoBox(std::string text)
{
    return Message(std::move(text), "Orvelin", MessageIcon::Information);
}

HostCall ErrorBox(std::string prefixedFailure)
{
    return Message("An error occurred during execution.\r\n\r\n" + prefixedFailure, "Orvelin Error",
                   MessageIcon::Critical);
}

HostCall Progress(bool visible, std::string caption)
{
    return {HostCall::Kind::Progress, std::move(caption), {}, MessageIcon::Information, visible};
}

HostCall OpenFolder(std::string folder)
{
    return {HostCall::Kind::OpenFolder, std::move(folder), {}, MessageIcon::Information, false};
}

HostCall Pump()
{
    return {HostCall::Kind::Pump, {}, {}, MessageIcon::Information, false};
}

HostCall End()
{
    return {HostCall::Kind::End, {}, {}, MessageIcon::Information, false};
}

void RecordingHost::showMessage(std::string_view text, std::string_view title, MessageIcon icon)
{
    calls.push_back(Message(std::string(text), std::string(title), icon));
}

void RecordingHost::setProgress(bool visible, std::string_view caption)
{
    calls.push_back(Progress(visible, std::string(caption)));
}

void RecordingHost::openFolderView(const std::string& folder)
{
    calls.push_back(OpenFolder(folder));
    if (onOpenFolderView)
        onOpenFolderView(folder);
}

std::vector<HostCall> RecordingHost::callsOf(HostCall::Kind kind) const
{
    std::vector<HostCall> found;
    for (const HostCall& call : calls) {
        if (call.kind == kind)
            found.push_back(call);
    }
    return found;
}

bool RecordingHost::processPendingEvents()
{
    calls.push_back(Pump());
    ++pumps_;
    if (onPump)
        onPump(pumps_);
    return pumps_ == endOnPump;
}

void RecordingHost::shutDown()
{
    calls.push_back(End());
}

DiskRecordingHost::DiskRecordingHost(std::string fileTitle) : RecordingHost(std::move(fileTitle))
{
    firstFileInImpl = platform::FirstFileIn;
    makeFolderImpl = platform::MakeFolder;
}

}  // namespace orvelin::testing
