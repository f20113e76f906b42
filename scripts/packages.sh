# Sourced by demo.sh and test.sh: makes sure the Debian packages named are installed.
# As root it installs what is missing; otherwise it prints the apt-get line and stops.
require_packages() {
    local missing=()
    local package
    for package in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
            missing+=("$package")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    if [ "$(id -u)" -eq 0 ]; then
        echo "Installing: ${missing[*]}"
        apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" >/dev/null
    else
        echo "Missing Debian packages. Install them with:"
        echo "    sudo apt-get install ${missing[*]}"
        exit 1
    fi
}

build_packages=(g++ cmake make pkg-config libncurses-dev)
