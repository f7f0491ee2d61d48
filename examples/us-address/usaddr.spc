; Standardizer for United States street address lines, one address a line.
; The process reads usaddr.cls (word classes), usaddr.pat (patterns and actions) and
; usaddr.dct (the match key).
STANDARDIZE usaddr
RECORD 256
CLEANUPINPUT
