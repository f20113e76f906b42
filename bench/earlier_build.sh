# Sourced by the benchmark scripts that compare this build with an earlier commit.
# build_earlier TOP COMMIT GIVEN TARGET...: sets base_build to GIVEN when it names a build folder of
# that commit; otherwise builds the targets (Release) in a temporary git worktree, removed on exit
# (earlier_worktree names it, for a script that sets its own exit trap).
build_earlier() {
    local top=$1 commit=$2 given=$3
    shift 3
    if [ -n "$given" ]; then
        base_build=$given
        return
    fi
    earlier_worktree=$(mktemp -d /tmp/bench-earlier.XXXXXX)
    trap 'git -C "$top" worktree remove --force "$earlier_worktree" >/dev/null 2>&1 || rm -rf "$earlier_worktree"' EXIT
    git -C "$top" worktree add --detach "$earlier_worktree" "$commit" >/dev/null
    cmake -S "$earlier_worktree" -B "$earlier_worktree/build" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
    cmake --build "$earlier_worktree/build" -j2 --target "$@" >/dev/null
    base_build=$earlier_worktree/build
}
