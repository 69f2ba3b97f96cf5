; engraving a 20 x 10 frame, hand-written, incremental
; X0 Y0 is the lower left corner of the stock
g21 g17 g94
t1 m06 ; 30 degree v-bit
s18000 m03
g04 p2 ; let the spindle come up to speed
g92 x0 y0 z5
g90 g0 x5 y5 ; to the first corner
g1 z-0.200 f150 ; into the stock
x25 f600
y15
x5
y5
g0 z5.
g04 p1.5 ; dwell before leaving
G91
g28 z0 ; home z
G90
m05
m30
