#!/usr/bin/env bash
# Fails when a source file of the program outside src/common/platform includes a header that
# only POSIX systems (or Linux alone) have, or names an errno or signal that only they have.
# What differs between systems stays in that one folder, so that a port supplies its units
# and nothing else. Tools, tests, benchmarks and fuzz targets run here only and are not checked.
set -uo pipefail
src=$(cd "$(dirname "$0")/../src" && pwd)
headers='aio|arpa/[a-z/]+|cpio|dirent|dlfcn|fcntl|fmtmsg|fnmatch|ftw|glob|grp|iconv|langinfo|libgen'
headers+='|monetary|mqueue|ndbm|net/[a-z]+|netdb|netinet/[a-z]+|nl_types|poll|pthread|pwd|regex|sched'
headers+='|search|semaphore|signal|spawn|strings|stropts|sys/[a-z_/]+|syslog|tar|termios|trace|ulimit'
headers+='|unistd|utime|utmpx|wordexp|linux/[a-z_/]+|asm/[a-z_/]+|execinfo|err|mntent|paths|pty'
# Named before any "//" on the line: a comment may speak of them.
names='ESTALE|EDQUOT|EHOSTDOWN|EREMOTE|ENOLINK|SIGHUP|SIGPIPE|SIGCHLD|SIGUSR[12]|SIGALRM|SIGKILL'
names+='|sigaction|sigemptyset|O_NOFOLLOW|O_CLOEXEC|O_NONBLOCK|O_DIRECTORY|S_IS[A-Z]+'
status=0
report() {  # report <what> <hits>
    if [ -n "$2" ]; then
        echo "$1:" >&2
        echo "${2//$src/src}" >&2
        status=1
    fi
}
outside() {  # the lines matching a grep -P pattern in files outside the folder
    grep -rnP --include='*.cpp' --include='*.h' "$1" "$src" | grep -v "^$src/common/platform/"
}
report 'POSIX header included outside src/common/platform' "$(outside "^\\s*#\\s*include\\s*<($headers)\\.h>")"
report 'POSIX-only name used outside src/common/platform' "$(outside "^(?:(?!//).)*\\b($names)\\b")"
# The folder is the floor under common: it reaches nothing of the program's own.
report 'src/common/platform reaches up' \
    "$(grep -rn '#include "' "$src/common/platform" | grep -v '#include "common/platform/')"
exit $status
