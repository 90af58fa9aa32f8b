# The wall clock for the bench scripts, sourced by them.

# Sets the variable named $1 to the wall clock in microseconds. With bash 5
# no process starts (a command substitution would fork one, and its time
# would be counted in every figure taken with it).
stamp() {
    if [ -n "${EPOCHREALTIME:-}" ]; then
        local t=$EPOCHREALTIME
        printf -v "$1" '%s' "${t/./}"
    else
        printf -v "$1" '%s' "$(date +%s%6N)"
    fi
}
