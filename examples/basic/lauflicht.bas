' Lauflicht: ein Licht wandert über die Ports 1 bis 8 hin und zurück.
' Port 16 auf High hält das Licht an, AD[1] bestimmt die Geschwindigkeit.

DIM muster AS BYTE
DIM runde AS WORD
CONST RUNDEN = 3

DIR PORT[16] IN
FOR runde = 1 TO RUNDEN
  muster = 1
  DO
    BYTEPORT[1] = muster
    GOSUB #Warten
    muster = muster SHL 1
  LOOP UNTIL muster = 128
  DO
    BYTEPORT[1] = muster
    GOSUB #Warten
    muster = muster SHR 1
  LOOP WHILE muster > 1
  PRINT "Runde "; runde; " fertig"
NEXT runde
BYTEPORT[1] = 0
END

' Pause nach dem Analogwert, solange Port 16 nicht gesetzt ist
#Warten
WAIT NOT PORT[16]
PAUSE 2 + AD[1] / 16
RETURN
