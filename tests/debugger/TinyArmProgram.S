@ A program for the GDB backend's tests: it calls doMessageProc again and
@ again, and each call adds 1 to the word theMessage.
    .text
    .global _start
_start:
    ldr sp, =stackTop
loop:
    bl doMessageProc
    b loop

    .global doMessageProc
doMessageProc:
    ldr r0, =theMessage
    ldr r1, [r0]
    add r1, r1, #1
    str r1, [r0]
    bx lr

    .data
    .global theMessage
theMessage:
    .word 0
    .bss
    .space 256
stackTop:
