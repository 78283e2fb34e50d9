# SPDX-FileCopyrightText: 2026 Sigtelinje developers
# SPDX-License-Identifier: GPL-3.0-or-later
# The two conversions as a surveyor would script them with gawk, for the
# benchmark: same bytes as sigtelinje-convert, output on standard output.
#
#   LC_ALL=C gawk -b -v kind=alignment -f gsiconvert.awk al17.gsi > al17PI.gsi
#   LC_ALL=C gawk -b -v kind=profile   -f gsiconvert.awk pr17.gsi > pr17VPI.gsi
#
# Lines end at CR LF, a lone CR or a lone LF; output lines end in CR LF. A file
# of more than 1000 kept lines is refused with nothing written to the output.

BEGIN {
    RS = "\r\n|\r|\n"
    ORS = "\r\n"
    if (kind != "alignment" && kind != "profile") {
        print "gsiconvert.awk: set kind=alignment or kind=profile" > "/dev/stderr"
        refused = 2
        exit 2
    }
    alignment = kind == "alignment"
    n = 0
}

{
    if (n == 1000) {
        printf "gsiconvert.awk: %s has more than 1000 lines\n", FILENAME > "/dev/stderr"
        refused = 1
        exit 1
    }
    if (alignment && index($0, "74....") >= 2)
        next
    line[++n] = $0
}

END {
    if (refused)
        exit refused
    if (n < 1)
        exit 0
    print line[1]
    for (i = 2; i <= n; i++) {
        L = line[i]
        sign = substr(L, 56, 1)
        if (!alignment) {
            print substr(L, 1, 55) (sign == "-" ? "+" : sign == "+" ? "-" : "") substr(L, 57, 40)
            continue
        }
        p = index(L, "82..10-")
        w82 = substr(L, 105, 16)
        w81 = substr(L, 129, 16)
        if (p == 0) {
            print substr(L, 1, 96) w81 w82 " "
            continue
        }
        w82 = " 82..10+" w82
        w81 = (p > 1 ? "81..10-" : "81..10+") w81
        tail = ""
        if (p > 1 && index(L, "71....+00000000STRAIGHT"))
            tail = "+" substr(L, 57, 41)
        else if (p > 1 && sign == "-")
            tail = "+" substr(L, 57, 41)
        else if (p > 1 && sign == "+")
            tail = "-" substr(L, 57, 41)
        else
            tail = substr(L, 56, 42)
        print substr(L, 1, 55) tail w81 w82 " "
    }
}
