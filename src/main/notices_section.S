/* The licence notices of what the installer carries (its libraries are linked in, so every
   installer made from it hands them out), as plain text that `larkspan-pack notices` reads
   and `strings` shows. LARKSPAN_NOTICES names the text file, in quotes.
   Linux: a section that is never loaded but that the linker and strip keep ("R").
   Windows: the read-only section .notices, kept by the linker because the program's link
   asks for larkspan_notices. */
#if defined(_WIN32)
    .section .notices, "dr"
    .globl larkspan_notices
larkspan_notices:
    .incbin LARKSPAN_NOTICES
    .byte 0
#else
    .section .larkspan.notices, "R", @progbits
    .incbin LARKSPAN_NOTICES
    .byte 0
    .section .note.GNU-stack, "", @progbits
#endif
