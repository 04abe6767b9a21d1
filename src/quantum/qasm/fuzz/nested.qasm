OPENQASM 2.0;
qreg q[2];
gate g0 a { h a; }
gate g1 a { g0 a; g0 a; }
gate g2 a { g1 a; g1 a; }
g2 q[1];
barrier q[1], q[0];
measure q[1] -> c[0];
creg c[1];
