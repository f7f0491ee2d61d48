; Patterns and actions of United States address lines.
;
; The classes come from usaddr.cls (T type, D directional, U unit with a value, V unit
; alone, B box, P post office, R rural route, H route type, C route qualifier, O ordinal
; word) and from the tokenizer (^ number, < letters then digits, > digits then letters,
; ? unknown words, a run of them as one operand). Separator characters are classes of
; their own, written after a backslash where they would otherwise be read as qualifiers
; (\# and \/).
;
; The patterns run in order over the tokens of a line. Post office boxes and rural routes
; are whole lines and end the run. Otherwise units and then the house number are taken
; out (their tokens are given the NULL class 0, which hides them from later patterns);
; then words that belong to the street name are made unknown words (class ?), so that the
; name is one run of ? tokens; the last patterns read the street line that is left.

; ---- Post office boxes ----------------------------------------------------------------

P | U | B | &              ; POST OFFICE BOX 12
  COPY [4] {BX}
  EXIT
P | B | &                  ; PO BOX 12, P.O. BOX 12
  COPY [3] {BX}
  EXIT
?="PO" | B | &             ; P O BOX 12
  COPY [3] {BX}
  EXIT
B | &                      ; BOX 12, POB 12
  COPY [2] {BX}
  EXIT

; ---- Rural routes and highway contract routes -----------------------------------------

R | H | & | B | &          ; RURAL ROUTE 2 BOX 15
  COPY_A [1] {RT}
  COPY [3] {RV}
  COPY [5] {BX}
  EXIT
R | & | B | &              ; RR 2 BOX 15, HC 1 BOX 40
  COPY_A [1] {RT}
  COPY [2] {RV}
  COPY [4] {BX}
  EXIT
R | H | &                  ; RURAL ROUTE 2
  COPY_A [1] {RT}
  COPY [3] {RV}
  EXIT
R | &                      ; RR 2
  COPY_A [1] {RT}
  COPY [2] {RV}
  EXIT

; ---- Units, wherever they stand -------------------------------------------------------

*> | U | $                 ; 2ND FLOOR at the end
  COPY_A [2] {UT}
  COPY [1] {UV}
  RETYPE [1] 0
  RETYPE [2] 0
*U | \# | &                ; APT # 5
  COPY_A [1] {UT}
  COPY [3] {UV}
  RETYPE [1] 0
  RETYPE [2] 0
  RETYPE [3] 0
*U | & | - | &             ; STE 100-A
  COPY_A [1] {UT}
  COPY [2] {UV}
  CONCAT [3] {UV}
  CONCAT [4] {UV}
  RETYPE [1] 0
  RETYPE [2] 0
  RETYPE [3] 0
  RETYPE [4] 0
*U | ^                     ; APT 12
  COPY_A [1] {UT}
  COPY [2] {UV}
  RETYPE [1] 0
  RETYPE [2] 0
*U | <                     ; UNIT A2
  COPY_A [1] {UT}
  COPY [2] {UV}
  RETYPE [1] 0
  RETYPE [2] 0
*U | >                     ; APT 3B
  COPY_A [1] {UT}
  COPY [2] {UV}
  RETYPE [1] 0
  RETYPE [2] 0
*U | +                     ; APT B
  COPY_A [1] {UT}
  COPY [2] {UV}
  RETYPE [1] 0
  RETYPE [2] 0
*U | D | $                 ; UNIT E at the end
  COPY [2] {UV}
  COPY_A [1] {UT}
  RETYPE [1] 0
  RETYPE [2] 0
*U | $                     ; a designator alone at the end
  COPY_A [1] {UT}
  RETYPE [1] 0
*\# | &                    ; # 4, #4B
  COPY [1] {UT}
  COPY [2] {UV}
  RETYPE [1] 0
  RETYPE [2] 0
*V | $                     ; REAR, BSMT at the end
  COPY_A [1] {UT}
  RETYPE [1] 0

; ---- House number ---------------------------------------------------------------------

^ | ^ | \/ | ^             ; 123 1/2
  COPY [1] {HN}
  COPY [2] {HS}
  CONCAT [3] {HS}
  CONCAT [4] {HS}
  RETYPE [1] 0
  RETYPE [2] 0
  RETYPE [3] 0
  RETYPE [4] 0
>[{} PICT = "nc"]          ; 1A
  COPY [1](1:-2) {HN}
  COPY [1](-1:-1) {HS}
  RETYPE [1] 0
>[{} PICT = "nnc"]         ; 12A
  COPY [1](1:-2) {HN}
  COPY [1](-1:-1) {HS}
  RETYPE [1] 0
>[{} PICT = "nnnc"]        ; 123A
  COPY [1](1:-2) {HN}
  COPY [1](-1:-1) {HS}
  RETYPE [1] 0
>[{} PICT = "nnnnc"]       ; 1234A
  COPY [1](1:-2) {HN}
  COPY [1](-1:-1) {HS}
  RETYPE [1] 0
>[{} PICT = "nnnnnc"]      ; 12345A
  COPY [1](1:-2) {HN}
  COPY [1](-1:-1) {HS}
  RETYPE [1] 0
^                          ; 123
  COPY [1] {HN}
  RETYPE [1] 0

; ---- Words of the street name ---------------------------------------------------------

*O                         ; FIRST -> 1ST
  COPY_A [1] ordinal
  RETYPE [1] ? ordinal
*>                         ; 21ST
  RETYPE [1] ?
*V | T                     ; FRONT ST: words of other classes before a type name it
  RETYPE [1] ?
*U | T                     ; OFFICE PARK DR
  RETYPE [1] ?
*P | T                     ; POST RD
  RETYPE [1] ?
*H | T                     ; I ST
  RETYPE [1] ?
*C | T | $                 ; STATE ST (but COUNTY ROAD 12 is a route)
  RETYPE [1] ?
*C | T | D                 ; STATE ST N
  RETYPE [1] ?
*C | ?                     ; COUNTY LINE RD
  RETYPE [1] ?
*T | T                     ; PARK AVE, LAKE SHORE DR: a type before the type names it
  RETYPE [1] ?
*T | T                     ; MILL CREEK RD
  RETYPE [1] ?
*T | T                     ; SPRING VALLEY VIEW DR
  RETYPE [1] ?
*T | ?                     ; ST LOUIS AVE, AVENUE B: a type before a name is part of it
  RETYPE [1] ?

; ---- Routes ---------------------------------------------------------------------------

C | H | ^ | D | $          ; US HIGHWAY 1 N
  COPY_A [1] {PQ}
  COPY_A [2] {PT}
  COPY [3] {SN}
  COPY_A [4] {SD}
  EXIT
C | H | ^ | $              ; STATE ROUTE 9
  COPY_A [1] {PQ}
  COPY_A [2] {PT}
  COPY [3] {SN}
  EXIT
C | T | ^ | D | $          ; COUNTY ROAD 5 N
  COPY_A [1] {PQ}
  COPY_A [2] {PT}
  COPY [3] {SN}
  COPY_A [4] {SD}
  EXIT
C | T | ^ | $              ; COUNTY ROAD 12
  COPY_A [1] {PQ}
  COPY_A [2] {PT}
  COPY [3] {SN}
  EXIT
D | H | ^ | $              ; N HIGHWAY 61
  COPY_A [1] {PD}
  COPY_A [2] {PT}
  COPY [3] {SN}
  EXIT
H | ^ | D | $              ; HIGHWAY 61 N
  COPY_A [1] {PT}
  COPY [2] {SN}
  COPY_A [3] {SD}
  EXIT
H | ^ | $                  ; HIGHWAY 61, FM 1960
  COPY_A [1] {PT}
  COPY [2] {SN}
  EXIT
H | - | ^ | $              ; I-95
  COPY_A [1] {PT}
  COPY [3] {SN}
  EXIT
? | H | $                  ; PACIFIC COAST HWY
  COPY_S [1] {SN}
  COPY_A [2] {ST}
  EXIT

; ---- Street lines ---------------------------------------------------------------------

D | ? | T | D | $          ; N MAIN ST E
  COPY_A [1] {PD}
  COPY_S [2] {SN}
  COPY_A [3] {ST}
  COPY_A [4] {SD}
  EXIT
D | ? | T | $              ; N MAIN ST
  COPY_A [1] {PD}
  COPY_S [2] {SN}
  COPY_A [3] {ST}
  EXIT
? | T | D | $              ; MAIN ST NW
  COPY_S [1] {SN}
  COPY_A [2] {ST}
  COPY_A [3] {SD}
  EXIT
? | T | $                  ; MAIN ST
  COPY_S [1] {SN}
  COPY_A [2] {ST}
  EXIT
D | ? | D | $              ; W BROADWAY S
  COPY_A [1] {PD}
  COPY_S [2] {SN}
  COPY_A [3] {SD}
  EXIT
D | ? | $                  ; N BROADWAY
  COPY_A [1] {PD}
  COPY_S [2] {SN}
  EXIT
? | D | $                  ; BROADWAY E
  COPY_S [1] {SN}
  COPY_A [2] {SD}
  EXIT
? | $                      ; BROADWAY
  COPY_S [1] {SN}
  EXIT
D | D | T | $              ; W NORTH AVE: the second directional is the name
  COPY_A [1] {PD}
  COPY [2] {SN}
  COPY_A [3] {ST}
  EXIT
D | T | D | $              ; NORTH AVE W
  COPY [1] {SN}
  COPY_A [2] {ST}
  COPY_A [3] {SD}
  EXIT
D | T | $                  ; E ST, NORTH AVE: a directional before the type is the name
  COPY [1] {SN}
  COPY_A [2] {ST}
  EXIT
