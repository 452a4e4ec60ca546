' Messwertschreiber: nimmt zehn Werte von AD[1] im Sekundentakt auf,
' schreibt sie in die Datendatei und meldet Minimum, Maximum und Mittel.
' Die Grenzwerte stehen in einer Tabelle; jenseits davon schaltet Port 1.

DIM wert AS WORD, summe AS WORD
DIM kleinst AS WORD, groesst AS WORD
DIM n AS BYTE, start AS WORD
DIM alarm AS BIT
TABLE grenze = 20, 200

FOPEN WRITE
kleinst = 32767 : groesst = -32768 : summe = 0
FOR n = 1 TO 10
  start = TIMER
  wert = AD[1]
  FWRITE wert
  summe = summe + wert
  kleinst = MIN(kleinst, wert) : groesst = MAX(groesst, wert)
  alarm = wert < grenze(0) OR wert > grenze(1)
  PORT[1] = alarm
  IF alarm THEN PRINT "Grenzwert verletzt: "; wert
  WAIT TIMER - start >= 50
NEXT
FCLOSE

PRINT "Minimum "; kleinst, "Maximum "; groesst, "Mittel "; summe / 10
PRINT "Werte in der Datei: "; FILELEN

' Die Datei zur Kontrolle zurücklesen
FOPEN READ
WHILE NOT EOF
  FREAD wert
  PRINT wert;
  IF NOT EOF THEN PRINT ",";
WEND
PRINT
FCLOSE
