#pragma once

#include "engine/box_texts.h"
#include "engine/failure.h"
#include "engine/host_services.h"

#include <string_view>

// The three ways a procedure handles failures:
// - guarded: the failure ends the guarded steps and is shown in the error box;
// - ignore-and-continue: the failing step is skipped, nothing is reported;
// - unguarded: the failure simply propagates to the front end, which gives the
//   platform's standard error report.
// Memory running out counts as a failure where failures are reported (guarded,
// unguarded); ignoring it would only let the next step run out too.
// ProgramEnd is not a failure and passes through all of them.

namespace orvelin {

// The error box's text: kErrorBoxPreamble, then prefix number ":  " description.
std::string ErrorBoxText(std::string_view prefix, const ErrorInfo& info);

void ShowErrorBox(HostServices& host, std::string_view prefix, const ErrorInfo& info);

// Runs steps; on a failure shows the error box with prefix. The failure
// shown, if any.
template <typename Steps>
std::optional<ErrorInfo> Guarded(HostServices& host, std::string_view prefix, Steps&& steps)
{
    std::optional<ErrorInfo> failure = CatchAnyFailure(std::forward<Steps>(steps));
    if (failure)
        ShowErrorBox(host, prefix, *failure);
    return failure;
}

template <typename Step>
void IgnoreFailure(Step&& step)
{
    (void)CatchFailure(std::forward<Step>(step));  // ignoring is the policy
}

}  // namespace orvelin
