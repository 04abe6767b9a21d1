OPENQASM 2.0;
qreg a[2];
qreg b[2];
creg r[2];
gate bell(t) x, y {
  rx(t * 2) x;
  cx x, y;
}
bell(pi/4) a[0], b[1];
u3(0.1, -pi, 2e-3) a[1];
u2(1,2) b[0];
crk(3) a[0], a[1];
ccx a[0], a[1], b[0];
if (r == 3) bell(-(1 - 2)) a[1], b[0];
