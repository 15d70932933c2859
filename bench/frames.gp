# Pixels the page moved in each repaint over one second, at four speeds (step 1, Xvfb).
# gnuplot -e "data='frames.dat'; output='frames.svg'" bench/frames.gp
set terminal svg size 800,500 dynamic font "DejaVu Sans,12" background "white"
set output output
set title "Displacement per frame over one second (step 1, 10,000 lines, X11)"
set xlabel "Time since the first frame (ms)"
set ylabel "Pixels moved since the previous frame"
set grid
set key center right
set xrange [0:1000]
set yrange [0:20]
plot data index 3 using 1:2 title "speed 300 (1 ms)" with linespoints pointtype 7 pointsize 0.4 linecolor rgb "#d62728", \
     data index 2 using 1:2 title "speed 200 (101 ms)" with linespoints pointtype 5 linecolor rgb "#2ca02c", \
     data index 1 using 1:2 title "speed 100 (201 ms)" with linespoints pointtype 9 linecolor rgb "#ff7f0e", \
     data index 0 using 1:2 title "speed 10 (291 ms)" with linespoints pointtype 13 linecolor rgb "#1f77b4"
