'' ================================================================
'' SuperShape
'' Made by Morvane
'' Tarnock
'' https://tarnock.example
'' ================================================================
sub load_shape(byref shape as Nsupershape.Tsupershape ptr, byref params as Tparams)

		params.a                  =              3.402823e+38
		params.b                  =             -3.402823e+38
		params.m                  =              1.401298e-45
		params.n1                 =             -0
		params.n2                 =              9.999999e-39
		params.n3                 =              1
		params.radius             =              999
		params.slices             =              999
		params.bands              =              1
		params.scale              =              0.01
		params.color              =              type(0,255,64,0)
		params.rot_str            =              "rotations:  xy xz yzxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx 	"'\ éÿ"

		delete shape
		shape = null
		shape = new Nsupershape.Tsupershape
		shape->reload(params.radius,params.slices,params.bands,_
		       		  params.a,params.b,params.m,_
		       		  params.n1,params.n2,params.n3)
		shape->scale(params.scale,params.scale,params.scale)
		shape->set_color(params.color(0),params.color(1),params.color(2),params.color(3))

end sub
