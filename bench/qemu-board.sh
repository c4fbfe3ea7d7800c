# Sourced by the QEMU benchmarks: a free loopback port, QEMU's versatilepb
# command line with a flash file, setup.ini naming that board, and waiting
# until QEMU's port accepts.

free_port() { python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'; }

qemu_command() { # PORT FLASHFILE
    echo "qemu-system-arm -M versatilepb -m 128M -nographic -monitor none -serial none -audiodev none,id=silent -S -gdb tcp:127.0.0.1:$1 -drive if=pflash,format=raw,file=$2"
}

# Without FLASHFILE, Corvane connects to a QEMU started beforehand.
write_qemu_setup() { # PORT [FLASHFILE]
    cat > setup.ini <<SETUP
[board QEMU versatilepb]
[processor ARM926]
kind = gdb
subfamily = ARM9
address = 127.0.0.1:$1
SETUP
    [ $# -lt 2 ] || echo "start = $(qemu_command "$1" "$2")" >> setup.ini
}

wait_for_port() { # PORT
    for _ in $(seq 100); do (exec 3<>/dev/tcp/127.0.0.1/$1) 2>/dev/null && return; sleep 0.1; done
}
