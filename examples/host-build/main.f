C     A host program built against the source that sizgen generates from
C     host.deck: it links the COMMON blocks of newmods.for and prints the
C     sizes that DIMDEF hands on.  With the deck's three list-size cards
C     NLISTS is 31, so DIMDEF stores lists 1 to 31 in LSIZE(1..31) and
C     LTLABL, the size of LABCOM in INTEGER words, in LSIZE(32).  A deck
C     whose fourth card gives lists 31 and 32 makes NLISTS 32, and LTLABL
C     is then in LSIZE(33).
      PROGRAM HOST
      INTEGER LSIZE(50), I
      CALL ROOT10
      CALL DIMDEF (LSIZE, 0)
      WRITE (*, 100) LSIZE(32)
      WRITE (*, 110) (I, LSIZE(I), I = 1, 5)
  100 FORMAT (' LTLABL    =', I11)
  110 FORMAT (' LSIZE(', I2, ') =', I11)
      END
