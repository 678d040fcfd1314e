/* The output module's file, copied in by the assembler; the build names it. Assembled, not
   compiled, so that no compiler cache can hand back an object holding an older module. */
    .section .rodata
    .balign 16
    .hidden kelOutputModuleImage
    .globl kelOutputModuleImage
kelOutputModuleImage:
    .incbin KEL_OUTPUT_MODULE_FILE
    .hidden kelOutputModuleImageEnd
    .globl kelOutputModuleImageEnd
kelOutputModuleImageEnd:
    .section .note.GNU-stack,"",@progbits
