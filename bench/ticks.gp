# Ticks per second against the nominal rate, offscreen and under X.
# gnuplot -e "data='ticks.dat'; output='performance.svg'" bench/ticks.gp
set terminal svg size 800,500 dynamic font "DejaVu Sans,12" background "white"
set output output
set title "Scroll ticks per second against the nominal rate (10,000-line script)"
set xlabel "Nominal rate (ticks/s) = 1000 / period"
set ylabel "Measured ticks/s"
set logscale xy
set grid
set key top left
set xrange [2:1500]
set yrange [2:1500]
plot x title "nominal" with lines dashtype 2 linecolor rgb "gray40", \
     data using 2:3 title "offscreen" with linespoints pointtype 7 linecolor rgb "#1f77b4", \
     data using 2:4 title "X11 (Xvfb)" with linespoints pointtype 5 linecolor rgb "#d62728"
