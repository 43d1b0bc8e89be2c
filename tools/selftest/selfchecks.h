#pragma once

// The unit's self-checks, in order: link, reset, build information, the I/O
// check, current control. Each gives a verdict and, on a failure, the
// port's text. The checks run quietly (no message boxes of the port).

#include <QString>
#include <functional>
#include <vector>

namespace qv {
class TCP;
}

namespace qvselftest {

struct CheckResult
{
    QString name;
    bool passed = false;
    QString detail; // the build information, or why it failed
};

// Runs every check on the tester (its port made and opened); `each` sees
// every result as it comes. A failed link skips the checks after it.
std::vector<CheckResult> RunSelfChecks(qv::TCP &tester,
                                       const std::function<void(const CheckResult &)> &each);

// The report's text: heading, unit address, time, one line per check and
// the verdict.
QString ReportText(const QString &address, const std::vector<CheckResult> &results);

bool AllPassed(const std::vector<CheckResult> &results);

} // namespace qvselftest
