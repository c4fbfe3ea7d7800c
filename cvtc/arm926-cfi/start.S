@ Entry of the component: the host sets the pc here after loading it.
    .file "start.S"
    .syntax unified
    .arm
    .section .text.start, "ax"
    .global _start
    .type _start, %function
_start:
    msr     cpsr_c, #0xD3           @ supervisor mode, IRQ and FIQ masked
    mrc     p15, 0, r0, c1, c0, 0
    bic     r0, r0, #0x5            @ MMU and data cache off: flash and theMessage uncached
    mcr     p15, 0, r0, c1, c0, 0
    ldr     sp, =__stack_top
    ldr     r0, =__bss_start
    ldr     r1, =__bss_end
    mov     r2, #0
1:  cmp     r0, r1
    strlo   r2, [r0], #4
    blo     1b
    bl      main
2:  b       2b
    .size _start, . - _start
