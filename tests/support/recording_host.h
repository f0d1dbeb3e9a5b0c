#pragma once

#include "engine/host_services.h"

#include <functional>
#include <ostream>
#include <string>
#include <vector>

namespace orvelin::testing {

// One call the engine made on its host.
struct HostCall {
    enum class Kind { Message, Progress, Pump, OpenFolder, End };
    Kind kind;
    std::string text;   // message text, progress caption, folder
    std::string title;  // message title
    MessageIcon icon = MessageIcon::Information;
    bool visible = false;  // progress visibility

    bool operator==(const HostCall&) const = default;
};

// Readable test failure output.
void PrintTo(const HostCall& call, std::ostream* out);

HostCall Message(std::string text, std::string title, MessageIcon icon);
HostCall InfoBox(std::string text);
HostCall ErrorBox(std::string prefixedFailure);  // e.g. "Find Error 5:  Invalid procedure call or argument"
HostCall Progress(bool visible, std::string caption);
HostCall OpenFolder(std::string folder);
HostCall Pump();
HostCall End();

// A host that records every call. Folder services act on the real disk unless
// replaced; the file manager is never started.
class RecordingHost : public HostServices {
public:
    explicit RecordingHost(std::string fileTitle = {}) : fileTitle(std::move(fileTitle)) {}

    std::string chosenFileTitle() override { return fileTitle; }
    void showMessage(std::string_view text, std::string_view title, MessageIcon icon) override;
    void setProgress(bool visible, std::string_view caption) override;
    void openFolderView(const std::string& folder) override;
    std::string firstFileIn(const std::string& folder) override { return firstFileInImpl(folder); }
    void makeFolder(const std::string& folder) override { makeFolderImpl(folder); }

    // The calls of the given kind, in order.
    std::vector<HostCall> callsOf(HostCall::Kind kind) const;
    std::vector<HostCall> messages() const { return callsOf(HostCall::Kind::Message); }

    std::string fileTitle;
    std::vector<HostCall> calls;
    // Pump number (1-based) on which the program is asked to end; 0: never.
    int endOnPump = 0;
    // Runs on every pump with its number, as a person acting then would.
    std::function<void(int)> onPump;
    std::function<void(const std::string&)> onOpenFolderView;  // may throw
    std::function<std::string(const std::string&)> firstFileInImpl;
    std::function<void(const std::string&)> makeFolderImpl;

protected:
    bool processPendingEvents() override;
    void shutDown() override;

private:
    int pumps_ = 0;
};

// RecordingHost with the platform's folder services.
class DiskRecordingHost : public RecordingHost {
public:
    explicit DiskRecordingHost(std::string fileTitle);
};

}  // namespace orvelin::testing
