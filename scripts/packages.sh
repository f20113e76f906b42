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

build_packages=(g++ cmake make pkg-config libncurses-dev nlohmann-json3-dev libpugixml-dev)

# Makes sure a locale is generated (the locale tests run under a decimal-comma locale). As root
# it generates it; otherwise it prints the command and stops.
require_locale() {
    local language=$1 charset=$2
    local name="$language.$charset"
    local listed="$language.$(echo "$charset" | tr -d '-' | tr '[:upper:]' '[:lower:]')"
    locale -a 2>/dev/null | grep -qxi "$listed" && return 0
    if [ "$(id -u)" -eq 0 ]; then
        echo "Generating the locale $name"
        localedef -i "$language" -f "$charset" "$name"
    else
        echo "Missing locale $name. Generate it with:"
        echo "    sudo localedef -i $language -f $charset $name"
        exit 1
    fi
}
