#!/bin/sh
# usage: private-ipc.sh PROGRAM [ARG...]
# Runs the program in a System V IPC namespace of its own, where no other
# process's shared-memory segment is visible. Keys follow the inode numbers
# of key files, which are used again, so a segment that some other process
# left behind can carry the key of a file the test has just made. As root
# "unshare --ipc" makes the namespace, elsewhere a user namespace can; where
# neither is allowed the program runs as it is.
unshare --ipc true 2>/dev/null && exec unshare --ipc "$@"
unshare --user --map-root-user --ipc true 2>/dev/null && exec unshare --user --map-root-user --ipc "$@"
exec "$@"
