C     Calls DIMDEF with NCHAIN = 0, each group selector, and two numbers
C     that select nothing, and prints what each call stored: one line per
C     call, the NCHAIN value and then LSIZE(1..50).  LSIZE is filled with
C     a marker before each call, so an element left alone shows the marker.
      PROGRAM PROBE
      INTEGER LSIZE(50), NCH(11), I, K
      DATA NCH / 0, 20, 21, 23, 9, 25, 26, 27, 28, 10, 99 /
      DO 20 K = 1, 11
         DO 10 I = 1, 50
            LSIZE(I) = -777777777
   10    CONTINUE
         CALL DIMDEF (LSIZE, NCH(K))
         WRITE (*, 100) NCH(K), (LSIZE(I), I = 1, 50)
   20 CONTINUE
  100 FORMAT (I4, 50I12)
      END
