' Zahlenraten über die serielle Schnittstelle: die Unit denkt sich eine
' Zahl von 1 bis 100, der Spieler rät mit INPUT.

DIM geheim AS WORD, tipp AS WORD, versuche AS BYTE

BAUD 9600
RANDOMIZE
geheim = RND(100) + 1
versuche = 0
PRINT "Ich denke mir eine Zahl von 1 bis 100."
DO
  PRINT "Dein Tipp? ";
  INPUT tipp
  versuche = versuche + 1
  IF tipp < geheim THEN
    PRINT "zu klein"
  ELSE
    IF tipp > geheim THEN PRINT "zu gross" ELSE PRINT "richtig!"
  ENDIF
LOOP UNTIL tipp = geheim
ON MIN(versuche, 3) GOSUB #Super, #Gut, #Geschafft
BEEP 440, 10
END

#Super: PRINT "Beim ersten Versuch!" : RETURN
#Gut: PRINT "Beim zweiten Versuch." : RETURN
#Geschafft: PRINT "Nach "; versuche; " Versuchen." : RETURN
