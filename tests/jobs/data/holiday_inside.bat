set "CLIPVANE_JOB=D:\Conv\temp\Holiday.5687bd15.job"
del "D:\Conv\incoming\.qv1A2B.part"
"D:\Conv\bin\mencoder.exe" -noodml "D:\Videos\Holiday.avi" -mc 0 -oac faac -faacopts br=192:mpeg=4:object=2 -af volnorm -srate 48000 -vf-add harddup -ofps 25 -vf-add crop=640:480:-1:-1 -vf-add scale=427:320 -vf-add expand=427:320:-1:-1:1 -ovc lavc -lavcopts vcodec=mpeg4 -lavcopts vbitrate=700 -ffourcc DIVX  -font "C:\WINDOWS\Fonts\gulim.ttc" -sid 0 -subpos 95 -subfont-text-scale 5 -subfont-blur 2 -subfont-outline 2 -lavcopts threads=2 -o "D:\Conv\temp\qv1A2B.avi2" 2> "D:\Conv\temp\qv1A2B.tmp"
if errorlevel 1 goto failed
"D:\Conv\bin\mencoder.exe" -ovc copy -nosound -of rawvideo -o "D:\Conv\temp\qv1A2B.m4v" "D:\Conv\temp\qv1A2B.avi2"> "D:\Conv\temp\qv1A2B.tmp" 2>&1
if errorlevel 1 goto failed
"D:\Conv\bin\mencoder.exe" -ovc frameno -oac copy -of rawaudio -o "D:\Conv\temp\qv1A2B.aac" "D:\Conv\temp\qv1A2B.avi2"> "D:\Conv\temp\qv1A2B.tmp" 2>&1
if errorlevel 1 goto failed
"D:\Conv\bin\mp4creator.exe" -c "D:\Conv\temp\qv1A2B.m4v" -rate=25 "D:\Conv\incoming\.qv1A2B.part" 2> "D:\Conv\temp\qv1A2B.tmp"
if errorlevel 1 goto failed
"D:\Conv\bin\mp4creator.exe" -c "D:\Conv\temp\qv1A2B.aac" "D:\Conv\incoming\.qv1A2B.part" 2> "D:\Conv\temp\qv1A2B.tmp"
if errorlevel 1 goto failed
"D:\Conv\bin\mp4creator.exe" -check "D:\Videos\Holiday.avi" "D:\Conv\incoming\.qv1A2B.part" "D:\Conv\incoming\Holiday.mp4" 2> "D:\Conv\temp\qv1A2B.tmp"
if errorlevel 1 goto failed
del "D:\Conv\temp\qv1A2B.avi2"
del "D:\Conv\temp\qv1A2B.m4v"
del "D:\Conv\temp\qv1A2B.aac"
move /y "D:\Conv\temp\qv1A2B.tmp" "D:\Conv\batch\Holiday.log"
exit /b 0
:failed
del "D:\Conv\incoming\.qv1A2B.part"
del "D:\Conv\temp\qv1A2B.avi2"
del "D:\Conv\temp\qv1A2B.m4v"
del "D:\Conv\temp\qv1A2B.aac"
move /y "D:\Conv\temp\qv1A2B.tmp" "D:\Conv\batch\Holiday.log"
"D:\Conv\bin\mp4creator.exe" -failed "D:\Conv\batch\Holiday.log"
exit /b 1
