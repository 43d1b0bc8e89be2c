#pragma once

// One continuous run of the current test with a result per pass, no stop on
// errors and no current control, ended by itself after `passes` passes (or
// by a failure); shared by the run benchmark and the soak. `sink` hears
// every line the run shows (the pass counter among them), on the run's
// threads.

#include "execution/port/testerport.h"
#include "execution/run/rundriver.h"
#include "execution/run/unattendedrunview.h"
#include "model/settings/settings.h"

#include <utility>

namespace qv::bench {

inline RunVerdict ContinuousRun(TCP &tester, TQuorvik &doc, int passes,
                                UnattendedRunView::LineSink sink = {})
{
    TSettings settings;
    settings.SetOption(TSettings::OptSendResultInLoop, 1);
    settings.SetOption(TSettings::OptStopOnTestError, 0);
    settings.SetOption(TSettings::OptCurrentControl, 0);
    UnattendedRunView view(doc, {}, std::move(sink));
    RunDriver::Environment env;
    env.tester = &tester;
    env.settings = &settings;
    env.view = &view;
    env.showVerdict = false;
    env.passLimit = passes;
    RunDriver driver(doc, env);
    driver.StartRun();
    return driver.Verdict();
}

} // namespace qv::bench
