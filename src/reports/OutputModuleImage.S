/* The output module's file, copied in by the assembler; the build names it. Assembled, not
   compiled, so that no compiler cache can hand back an object holding an older module.
   ELF (Linux) hides the two symbols and marks the stack; PE (MinGW on Windows) has neither. */
#ifdef __ELF__
    .section .rodata
#else
    .section .rdata,"dr"
#endif
    .balign 16
#ifdef __ELF__
    .hidden kelOutputModuleImage
#endif
    .globl kelOutputModuleImage
kelOutputModuleImage:
    .incbin KEL_OUTPUT_MODULE_FILE
#ifdef __ELF__
    .hidden kelOutputModuleImageEnd
#endif
    .globl kelOutputModuleImageEnd
kelOutputModuleImageEnd:
#ifdef __ELF__
    .section .note.GNU-stack,"",@progbits
#endif
