OPENQASM 2.0;
// comment
qreg q[1];
rx(pi/2) q[0]; ry(1 - 2) q[0]; rz(-0.5e1) q[0];
id q[0];
