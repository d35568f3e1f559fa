#include "settings/SyslogNames.h"

namespace qm {

const std::array<const char*, 24> FacilityNames = {
    "(KERN)",   "(USER)",      "(MAIL)",      "(DAEMON)",       "(AUTH)",     "(SYSLOG)",
    "(LPR)",    "(NEWS)",      "(UUCP)",      "(CRON)",         "(AUTHPRIV)", "(FTP)",
    "(NTP)",    "(log audit)", "(log alert)", "(clock daemon)", "(LOCAL0)",   "(LOCAL1)",
    "(LOCAL2)", "(LOCAL3)",    "(LOCAL4)",    "(LOCAL5)",       "(LOCAL6)",   "(LOCAL7)"};

// Entry 4 is "WARN", not "WARNING".
const std::array<const char*, 8> SeverityNames = {"EMERG", "ALERT",  "CRIT", "ERR",
                                                  "WARN",  "NOTICE", "INFO", "DEBUG"};

} // namespace qm
